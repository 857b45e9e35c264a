// The monitor page against the simulated printer: the speed switch at opening and its restore, the
// read-out, the sweep on the chart, the near-end indicator, and leaving the page while a tick waits.
#include "monitorbench.h"

#include "monitor/chartgeometry.h"
#include "monitor/printparam.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

using namespace MonitorBench;

class TstMonitorFrm : public QObject {
    Q_OBJECT

private slots:
    void openingSwitchesTo57600AndBackRestores();
    void restoreByte_data();
    void restoreByte();
    void nearEndIndicator_data();
    void nearEndIndicator();
    void nearEndReadOutLeavesParametersAlone();
    void referenceLinesOnlyForPrinterSensor_data();
    void referenceLinesOnlyForPrinterSensor();
    void referenceAtZeroCoversTheTimeAxis();
    void sweepWrapsAtSixty();
    void tickWaitingKeepsThePort();
    void leavingMidTick_data();
    void leavingMidTick();
    void closeBoxLeavesPrinterAt57600();
    void busyPortAtOpening();
    void printerVanishesWhileMonitoring();
    void silentPrinterAtOpening();
};

void TstMonitorFrm::openingSwitchesTo57600AndBackRestores() {
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setReplyOverride(kOptoLevel, QByteArray(1, char(200)));
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);

    const QList<Sim::TranscriptEntry> opening = printer.transcript();
    QVERIFY(opening.size() >= 3);
    QCOMPARE(opening[0].bytes, setSpeed(0x86));
    QCOMPARE(opening[0].lineSpeed, 9600);
    QVERIFY(!opening[0].hardwareFlow);
    QCOMPARE(opening[1].bytes, kParameters);
    QCOMPARE(opening[2].bytes, kOptoLevel);
    for (int i : {1, 2}) {
        QCOMPARE(opening[i].lineSpeed, 57600);
        QVERIFY(opening[i].hardwareFlow);
        QVERIFY(opening[i].heard);
    }
    SharedState& state = bench.wizard().state();
    QCOMPARE(state.PrinterSpeed, QString("57600"));
    QCOMPARE(state.PrinterHandshake, qint16(2));
    QCOMPARE(monitor.savedSpeed, QString("9600"));
    QCOMPARE(monitor.savedHandshake, QString("1"));
    QCOMPARE(monitor.lastSample, qint16(200));
    const Sim::OptoParams& p = printer.model().optoParams();
    QCOMPARE(state.OptoParams.blackLevel, p[1]);
    QCOMPARE(state.OptoParams.markThreshold, p[5]);
    QCOMPARE(monitor.windowTitle(), QString("Monitoring printer opto-sensor..."));
    QVERIFY(!state.PortIsOpen);

    QTRY_VERIFY(countOf(printer, kOptoLevel) >= 3); // sampling runs
    QPointer<MonitorFrm> page(&monitor);
    monitor.Back->click();
    const Sim::TranscriptEntry last = printer.transcript().last();
    QCOMPARE(last.bytes, setSpeed(0x03));
    QCOMPARE(last.lineSpeed, 57600);
    QVERIFY(last.hardwareFlow);
    QCOMPARE(state.PrinterSpeed, QString("9600"));
    QCOMPARE(state.PrinterHandshake, qint16(1));
    QCOMPARE(printer.model().speed(), 9600);
    QVERIFY(!printer.model().hardwareFlow());
    QVERIFY(!state.PortIsOpen);
    QVERIFY(!bench.wizard().loadedMonitorFrm());
    QVERIFY(bench.wizard().step2().isVisible());
    QTRY_VERIFY(page.isNull());
    QVERIFY(bench.boxes().seen().empty());
}

void TstMonitorFrm::restoreByte_data() {
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("handshake");
    QTest::addColumn<int>("printerSpeed");
    QTest::addColumn<int>("restore");
    QTest::addColumn<int>("printerSpeedAfter");
    QTest::newRow("38400 hardware") << "38400" << 2 << 38400 << 0x85 << 38400;
    QTest::newRow("28800 xon-xoff shares code 5") << "28800" << 1 << 28800 << 0x05 << 28800;
    // A speed the table does not know restores as 9600; the printer here runs at 57600 already.
    QTest::newRow("unknown speed text") << "14400" << 2 << 57600 << 0x83 << 9600;
}

void TstMonitorFrm::restoreByte() {
    QFETCH(QString, speed);
    QFETCH(int, handshake);
    QFETCH(int, printerSpeed);
    QFETCH(int, restore);
    QFETCH(int, printerSpeedAfter);
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(printerSpeed, handshake == 2));
    MonitorFrm& monitor = open(bench, Sensor::Printer, speed, handshake);
    QCOMPARE(countOf(printer, kParameters), 1);
    monitor.Back->click();
    QCOMPARE(printer.transcript().last().bytes, setSpeed(quint8(restore)));
    QCOMPARE(printer.transcript().last().lineSpeed, 57600);
    QCOMPARE(printer.model().speed(), printerSpeedAfter);
    QCOMPARE(printer.model().hardwareFlow(), handshake == 2);
    QCOMPARE(bench.wizard().state().PrinterSpeed, speed);
    QCOMPARE(bench.wizard().state().PrinterHandshake, qint16(handshake));
}

void TstMonitorFrm::nearEndIndicator_data() {
    QTest::addColumn<int>("stateByte");
    QTest::addColumn<bool>("nearEnd");
    QTest::newRow("1: near end") << 1 << true;
    QTest::newRow("0: enough paper") << 0 << false;
    QTest::newRow("2: enough paper") << 2 << false;
}

void TstMonitorFrm::nearEndIndicator() {
    QFETCH(int, stateByte);
    QFETCH(bool, nearEnd);
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setReplyOverride(kNearEndState, QByteArray(1, char(stateByte)));
    MonitorFrm& monitor = open(bench, Sensor::NearEnd, "9600", 1);
    QCOMPARE(monitor.windowTitle(), QString("Monitoring Near End Of Paper opto-sensor..."));
    QVERIFY(monitor.StateEnough->isHidden());
    QVERIFY(monitor.StateNEOP->isHidden());
    tick(monitor);
    QCOMPARE(monitor.StateNEOP->isVisible(), nearEnd);
    QCOMPARE(monitor.StateEnough->isVisible(), !nearEnd);
    const QList<Sim::TranscriptEntry> all = printer.transcript();
    QCOMPARE(all[all.size() - 2].bytes, kNearEndState);
    QCOMPARE(all.last().bytes, kNearEndLevel);
}

void TstMonitorFrm::nearEndReadOutLeavesParametersAlone() {
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    // The level comes late, so that the page can be looked at while it waits for it.
    printer.setFaults({.onlyFor = kNearEndLevel, .delayMs = 150});
    const OptoParameterBlock earlier{1, 2, 3, 4, 5, 6};
    bench.wizard().state().OptoParams = earlier;
    std::optional<bool> enabledWhileWaiting;
    whenHeard(printer, kNearEndLevel, 1, [&] {
        if (MonitorFrm* loading = bench.wizard().loadedMonitorFrm())
            enabledWhileWaiting = loading->CheckParam->isEnabled();
    });
    MonitorFrm& monitor = open(bench, Sensor::NearEnd, "9600", 1);
    QVERIFY(enabledWhileWaiting.has_value());
    QVERIFY(!*enabledWhileWaiting);
    QCOMPARE(countOf(printer, kParameters), 0);
    QCOMPARE(countOf(printer, kNearEndLevel), 1);
    QVERIFY(!monitor.CheckParam->isEnabled());
    const OptoParameterBlock& now = bench.wizard().state().OptoParams;
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(&now), sizeof now),
             QByteArray(reinterpret_cast<const char*>(&earlier), sizeof earlier));
}

void TstMonitorFrm::referenceLinesOnlyForPrinterSensor_data() {
    QTest::addColumn<bool>("printerSensor");
    QTest::newRow("printer opto-sensor") << true;
    QTest::newRow("near-end opto-sensor") << false;
}

void TstMonitorFrm::referenceLinesOnlyForPrinterSensor() {
    QFETCH(bool, printerSensor);
    Bench bench;
    Sim::PrinterConfig config = printerAt(9600, false);
    config.optoParams = {0, 30, 90, 200, 150, 60};
    bench.printer(3, config);
    bench.wizard().state().OptoParams = {0, 11, 22, 33, 44, 55}; // an earlier read-out
    MonitorFrm& monitor = open(bench, printerSensor ? Sensor::Printer : Sensor::NearEnd, "9600", 1);
    tick(monitor);

    QList<QPair<int, QColor>> references;
    for (const StripChart::Stroke& s : monitor.Picture1->strokes())
        if (s.from == QPointF(0, s.from.y()) && s.to == QPointF(30, s.from.y()) && s.colour != Qt::black &&
            s.colour != QColor(255, 0, 0))
            references << qMakePair(int(s.from.y()), s.colour);
    if (!printerSensor) {
        QVERIFY(references.isEmpty());
        return;
    }
    const QList<QPair<int, QColor>> expected{{30, QColor(128, 128, 255)},
                                             {90, QColor(128, 255, 255)},
                                             {200, QColor(0, 255, 0)},
                                             {150, QColor(255, 255, 128)},
                                             {60, QColor(255, 128, 128)}};
    QCOMPARE(references, expected);
}

void TstMonitorFrm::referenceAtZeroCoversTheTimeAxis() {
    Bench bench;
    Sim::PrinterConfig config = printerAt(9600, false);
    config.optoParams = {0, 0, 0, 0, 0, 0};
    bench.printer(3, config);
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    tick(monitor);
    // Along the middle of the time axis, away from the ticks and the trace, the last reference line
    // drawn at 0 is what shows.
    const QImage canvas = monitor.Picture1->canvas();
    const QPoint at = monitor.Picture1->toPixels({17.5, 0}).toPoint();
    QList<QColor> column;
    for (int dy = -2; dy <= 2; ++dy)
        column << canvas.pixelColor(at.x(), at.y() + dy);
    QVERIFY2(column.contains(QColor(255, 128, 128)), "the mark threshold line is not on the axis");
    QVERIFY(!column.contains(QColor(0, 0, 0)));
}

void TstMonitorFrm::sweepWrapsAtSixty() {
    Bench bench;
    bench.printer(3, printerAt(9600, false));
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    StripChart& chart = *monitor.Picture1;
    tick(monitor, 59);
    const QList<QPair<int, int>> xs = traceXs(chart);
    QCOMPARE(xs.size(), 59);
    QCOMPARE(xs.first(), qMakePair(0, 0));
    QCOMPARE(xs.last(), qMakePair(29, 30));
    QCOMPARE(monitor.tickCount, qint16(59));
    const qint16 endOfOldSweep = monitor.lastSample;

    tick(monitor); // the 60th: cleared, grid, then a stroke at x = 0 from the old sweep's end
    QCOMPARE(monitor.tickCount, qint16(0));
    QCOMPARE(traceXs(chart), (QList<QPair<int, int>>{{0, 0}}));
    QCOMPARE(chart.strokes().back().from.y(), double(endOfOldSweep));
    QCOMPARE(chart.strokes().back().to.y(), double(monitor.lastSample));
    const size_t gridAndStroke = chart.strokes().size();
    QCOMPARE(chart.texts().size(), size_t(6));

    tick(monitor); // grid once more, on top, without clearing
    QCOMPARE(chart.strokes().size(), 2 * gridAndStroke);
    QCOMPARE(chart.texts().size(), size_t(12));
    QCOMPARE(traceXs(chart), (QList<QPair<int, int>>{{0, 0}, {0, 0}}));
}

void TstMonitorFrm::tickWaitingKeepsThePort() {
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setFaults({.onlyFor = kOptoLevel, .delayMs = 120});
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    // A tick falling due while another waits: the timer is left running (it falls due twice in a
    // reply's time), and one more is forced in the middle of a wait.
    whenHeard(printer, kOptoLevel, 3, [&] { QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer"); });
    QTRY_VERIFY(countOf(printer, kOptoLevel) >= 6);
    const QList<Sim::TranscriptEntry> asked = heard(printer, kOptoLevel);
    for (qsizetype i = 1; i < asked.size(); ++i)
        QVERIFY2(asked[i].timeMs - asked[i - 1].timeMs >= 120, "asked again before the reply came");
    monitor.Back->click();
}

void TstMonitorFrm::leavingMidTick_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("Back") << "Back";
    QTest::newRow("Exit") << "Exit";
}

void TstMonitorFrm::leavingMidTick() {
    QFETCH(QString, button);
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setFaults({.onlyFor = kOptoLevel, .delayMs = 200});
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    QPointer<MonitorFrm> page(&monitor);
    QPushButton* leave = monitor.control<QPushButton>(button);
    whenHeard(printer, kOptoLevel, 3, [leave] { leave->click(); }); // the 2nd tick's request
    QTRY_VERIFY(printer.transcript().last().bytes == setSpeed(0x03));
    const int heardAtLeaving = int(printer.transcript().size());
    QTest::qWait(400); // the reply to the abandoned tick comes, and ticks would have fallen due
    QCOMPARE(int(printer.transcript().size()), heardAtLeaving);
    QCOMPARE(printer.transcript().last().lineSpeed, 57600);
    SharedState& state = bench.wizard().state();
    QCOMPARE(state.PrinterSpeed, QString("9600"));
    QCOMPARE(state.PrinterHandshake, qint16(1));
    QVERIFY(!state.PortIsOpen);
    if (button == "Exit") {
        QVERIFY(bench.ended());
        return;
    }
    QVERIFY(!bench.ended());
    QVERIFY(bench.wizard().step2().isVisible());
    QTRY_VERIFY(page.isNull());
}

void TstMonitorFrm::closeBoxLeavesPrinterAt57600() {
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setFaults({.onlyFor = kOptoLevel, .delayMs = 200});
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    monitor.CheckParam->click();
    QVERIFY(bench.wizard().loadedPrintParam());
    whenHeard(printer, kOptoLevel, 2, [&] { monitor.close(); }); // the 1st tick's request
    QTRY_VERIFY(!bench.wizard().loadedMonitorFrm());
    QTest::qWait(300);
    QCOMPARE(countOf(printer, setSpeed(0x03)), 0);
    QCOMPARE(printer.transcript().last().bytes, kOptoLevel);
    SharedState& state = bench.wizard().state();
    QCOMPARE(state.PrinterSpeed, QString("57600"));
    QCOMPARE(state.PrinterHandshake, qint16(2));
    QCOMPARE(printer.model().speed(), 57600);
    QVERIFY(printer.model().hardwareFlow());
    QVERIFY(!state.PortIsOpen);
    QVERIFY(!bench.wizard().loadedPrintParam());
    QVERIFY(bench.wizard().step2().isVisible());
    QVERIFY(!bench.ended());
}

void TstMonitorFrm::busyPortAtOpening() {
    Bench bench;
    bench.holdBusy(3);
    bench.detected(3, "9600", 1);
    chooseSensor(bench.wizard(), Sensor::Printer);
    MonitorFrm& monitor = bench.wizard().monitorFrm();
    monitor.show();
    QCOMPARE(bench.boxes().seen().size(), size_t(1));
    QVERIFY(bench.boxes().texts().first().contains("COM3"));
    QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Critical);
    SharedState& state = bench.wizard().state();
    QCOMPARE(state.PrinterSpeed, QString("9600"));
    QCOMPARE(state.PrinterHandshake, qint16(1));
    QVERIFY(!monitor.MonitorTimer->isActive());
    monitor.Back->click();
    QCOMPARE(bench.boxes().seen().size(), size_t(1)); // nothing to switch back
    QCOMPARE(state.PrinterSpeed, QString("9600"));
    QVERIFY(bench.wizard().step2().isVisible());
}

void TstMonitorFrm::printerVanishesWhileMonitoring() {
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setFaults({.onlyFor = kOptoLevel, .delayMs = 200});
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    whenHeard(printer, kOptoLevel, 2, [&] { printer.vanish(); });
    QTRY_COMPARE(bench.boxes().seen().size(), size_t(1));
    QTest::qWait(200);
    QCOMPARE(bench.boxes().seen().size(), size_t(1)); // told once, and the ticks have stopped
    QVERIFY(!monitor.MonitorTimer->isActive());
    QVERIFY(!bench.wizard().state().PortIsOpen);
    monitor.Back->click();
    // The printer did not hear the way back: the settings stay with it.
    QCOMPARE(bench.boxes().seen().size(), size_t(1));
    QCOMPARE(bench.wizard().state().PrinterSpeed, QString("57600"));
    QCOMPARE(bench.wizard().state().PrinterHandshake, qint16(2));
    QVERIFY(bench.wizard().step2().isVisible());
}

void TstMonitorFrm::silentPrinterAtOpening() {
    Bench bench;
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    printer.setFaults({.silent = true});
    bench.wizard().state().OptoParams = {0, 11, 22, 33, 44, 55};
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    QCOMPARE(bench.boxes().texts(), QStringList{"The printer does not answer at 57600 bauds."});
    QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Warning);
    QVERIFY(!monitor.CheckParam->isEnabled()); // it would show another printer's parameters
    QVERIFY(monitor.MonitorTimer->isActive());
    monitor.Back->click();
    QCOMPARE(printer.transcript().last().bytes, setSpeed(0x03));
    QCOMPARE(bench.wizard().state().PrinterSpeed, QString("9600"));
}

QTEST_MAIN(TstMonitorFrm)
#include "tst_monitorfrm.moc"
