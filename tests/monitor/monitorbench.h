#pragma once

// Opening the monitor the way the wizard gets there: a printer found on COM3 at a speed, the sensor
// chosen on Step2, then the monitor page shown. What the printer heard is read back from its
// transcript.

#include "monitor/monitorfrm.h"
#include "monitor/stripchart.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"
#include "support/bench.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace MonitorBench {

inline const QByteArray kOptoLevel("\x1d\x6f", 2);
inline const QByteArray kNearEndState("\x1b\x6e\x73", 3);
inline const QByteArray kNearEndLevel("\x1b\x6e\x6c", 3);
inline const QByteArray kParameters("\x1b\x4f", 2);

inline QByteArray setSpeed(quint8 configuration) {
    return QByteArray("\x1d\x42", 2) + char(configuration);
}

enum class Sensor { Printer, NearEnd };

inline Sim::PrinterConfig printerAt(int speed, bool hardwareFlow) {
    Sim::PrinterConfig config;
    config.speed = speed;
    config.hardwareFlow = hardwareFlow;
    return config;
}

inline void chooseSensor(Wizard& wizard, Sensor sensor) {
    Step2& step2 = wizard.step2();
    step2.control<QRadioButton>("Monitor")->setChecked(true);
    step2.control<QRadioButton>(sensor == Sensor::Printer ? "PrinterOpto" : "NEOPOpto")->setChecked(true);
}

// Detection found the printer on COM3 at `speed` and `handshake`; the sensor is chosen and the monitor
// opened. The printer's transcript starts with the monitor's opening.
inline MonitorFrm& open(Bench& bench, Sensor sensor, const QString& speed, int handshake) {
    bench.detected(3, speed, handshake);
    chooseSensor(bench.wizard(), sensor);
    bench.printerAt(3)->clearTranscript();
    MonitorFrm& monitor = bench.wizard().monitorFrm();
    monitor.show();
    return monitor;
}

inline QList<Sim::TranscriptEntry> heard(Sim::SimulatedPrinter& printer, const QByteArray& command) {
    QList<Sim::TranscriptEntry> found;
    for (const Sim::TranscriptEntry& e : printer.transcript())
        if (e.bytes == command) found << e;
    return found;
}

inline int countOf(Sim::SimulatedPrinter& printer, const QByteArray& command) {
    return int(heard(printer, command).size());
}

// Runs `action` as soon as the printer has heard `command` for the n-th time, while the page waits
// for the reply (the printer's reply to it must be slow enough).
inline void whenHeard(Sim::SimulatedPrinter& printer, const QByteArray& command, int n,
                      std::function<void()> action) {
    auto seen = std::make_shared<int>(0);
    auto done = std::make_shared<bool>(false);
    QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer,
                     [command, n, seen, done, action](const Sim::TranscriptEntry& e) {
                         if (*done || e.bytes != command || ++*seen < n) return;
                         *done = true;
                         QTimer::singleShot(5, action);
                     });
}

// The trace strokes on the chart since it was last cleared, as (x0, x1) pairs.
inline QList<QPair<int, int>> traceXs(const StripChart& chart) {
    QList<QPair<int, int>> xs;
    for (const StripChart::Stroke& s : chart.strokes())
        if (s.colour == QColor(255, 0, 0)) xs << qMakePair(int(s.from.x()), int(s.to.x()));
    return xs;
}

// Drives the sampling by hand: the page's timer is stopped and each call is one tick, run to its end.
inline void tick(MonitorFrm& monitor, int times = 1) {
    monitor.MonitorTimer->stop();
    for (int i = 0; i < times; ++i)
        QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer");
}

} // namespace MonitorBench
