#pragma once

// A printer on COM3 found at its own speed with Step2 shown, and a choice of sensor and action.

#include "bench.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"

#include <QPushButton>
#include <QRadioButton>

namespace SensorSteps {

constexpr int kPort = 3;
enum class Sensor { Printer, NearEnd };
enum class Action { Monitor, Calibrate };

inline Step2& step2(Bench& bench) {
    return bench.wizard().step2();
}

inline Sim::SimulatedPrinter& printerAtStep2(Bench& bench, const Sim::PrinterConfig& config = {}) {
    Sim::SimulatedPrinter& printer = bench.printer(kPort, config);
    bench.detected(kPort, QString::number(config.speed), config.hardwareFlow ? 2 : 1);
    return printer;
}

inline void choose(Bench& bench, Sensor sensor, Action action) {
    (sensor == Sensor::Printer ? step2(bench).PrinterOpto : step2(bench).NEOPOpto)->click();
    (action == Action::Monitor ? step2(bench).Monitor : step2(bench).Calibrate)->click();
}

} // namespace SensorSteps
