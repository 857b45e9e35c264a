#pragma once

// Steps shared by the end-to-end tests of the sensor and calibration pages: a printer on COM3 found at
// 9600 with XON/XOFF, Step2 shown, a choice of sensor and action, and actions timed to what the printer
// hears.

#include "bench.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

class Step2;

namespace SensorSteps {

constexpr int kPort = 3;

// The printer on COM3 and Step2 shown, as after a detection that found it.
Sim::SimulatedPrinter& printerAtStep2(Bench& bench, const Sim::PrinterConfig& config = {});
Step2& step2(Bench& bench);

enum class Sensor { Printer, NearEnd };
enum class Action { Monitor, Calibrate };
void choose(Bench& bench, Sensor sensor, Action action);

// Runs the action once, soon after the printer has heard the command (normally inside the wait for its
// reply; delay the reply to be sure).
void onCommand(Sim::SimulatedPrinter& printer, const QByteArray& command, std::function<void()> action);

// The printer's transcript as hex strings ("1b 6e 70").
QStringList heard(Bench& bench);
// The wizard pages now visible, by name.
QStringList shownPages(Bench& bench);
// Neither the shared state nor the port object holds the port, and no wait is in progress.
bool portClosedAndIdle(Bench& bench);
// The icons of the message boxes seen so far, in order.
QList<QMessageBox::Icon> boxIcons(Bench& bench);

} // namespace SensorSteps
