// The monitor page against the simulated printer: the speed switch at opening and its restore, the
// read-out, the sweep on the chart, the near-end indicator, and leaving the page while a tick waits.
#include "monitorbench.h"

#include "monitor/printparam.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

using namespace MonitorBench;

namespace {
// A printer at 9600 with XON/XOFF on COM3; its level reply comes `levelDelayMs` late.
Sim::SimulatedPrinter& printer9600(Bench& bench, int levelDelayMs = 0, const QByteArray& level = kOptoLevel) {
    Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(9600, false));
    if (levelDelayMs) printer.setFaults({.onlyFor = level, .delayMs = levelDelayMs});
    return printer;
}

void verifyLink(Bench& bench, const QString& speed, int handshake) {
    const SharedState& state = bench.wizard().state();
    QCOMPARE(state.PrinterSpeed, speed);
    QCOMPARE(state.PrinterHandshake, qint16(handshake));
    QVERIFY(!state.PortIsOpen);
}
} // namespace

class TstMonitorFrm : public QObject {
    Q_OBJECT

private slots:
    void opening() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printer9600(bench);
        printer.setReplyOverride(kOptoLevel, QByteArray(1, char(200)));
        MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
        const QList<Sim::TranscriptEntry> opening = printer.transcript().mid(0, 3);
        QCOMPARE(opening.size(), 3);
        QCOMPARE(opening[0].bytes, setSpeed(0x86));
        QVERIFY(opening[0].lineSpeed == 9600 && !opening[0].hardwareFlow);
        QCOMPARE(opening[1].bytes, kParameters);
        QCOMPARE(opening[2].bytes, kOptoLevel);
        for (int i : {1, 2})
            QVERIFY(opening[i].lineSpeed == 57600 && opening[i].hardwareFlow && opening[i].heard);
        verifyLink(bench, "57600", 2);
        QCOMPARE(monitor.savedSpeed, QString("9600"));
        QCOMPARE(monitor.savedHandshake, QString("1"));
        QCOMPARE(monitor.lastSample, qint16(200));
        const Sim::OptoParams& p = printer.model().optoParams();
        QCOMPARE(bench.wizard().state().OptoParams.blackLevel, p[1]);
        QCOMPARE(bench.wizard().state().OptoParams.markThreshold, p[5]);
        QCOMPARE(monitor.windowTitle(), QString("Monitoring printer opto-sensor..."));
        QTRY_VERIFY(countOf(printer, kOptoLevel) >= 3); // sampling runs
        monitor.Back->click();
    }

    void restoreByte_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("handshake");
        QTest::addColumn<int>("printerSpeed");
        QTest::addColumn<int>("restore");
        QTest::addColumn<int>("printerSpeedAfter");
        QTest::newRow("9600 xon-xoff") << "9600" << 1 << 9600 << 0x03 << 9600;
        QTest::newRow("38400 hardware") << "38400" << 2 << 38400 << 0x85 << 38400;
        QTest::newRow("28800 xon-xoff shares code 5") << "28800" << 1 << 28800 << 0x05 << 28800;
        // A speed the table does not know restores as 9600; the printer here runs at 57600 already.
        QTest::newRow("unknown speed text") << "14400" << 2 << 57600 << 0x83 << 9600;
    }
    // Back sends the restore at 57600, the link takes its old settings and Step2 comes back.
    void restoreByte() {
        QFETCH(QString, speed);
        QFETCH(int, handshake);
        QFETCH(int, printerSpeed);
        QFETCH(int, restore);
        QFETCH(int, printerSpeedAfter);
        Bench bench;
        Sim::SimulatedPrinter& printer = bench.printer(3, printerAt(printerSpeed, handshake == 2));
        QPointer<MonitorFrm> monitor = &open(bench, Sensor::Printer, speed, handshake);
        QCOMPARE(countOf(printer, kParameters), 1);
        monitor->Back->click();
        const Sim::TranscriptEntry last = printer.transcript().last();
        QCOMPARE(last.bytes, setSpeed(quint8(restore)));
        QVERIFY(last.lineSpeed == 57600 && last.hardwareFlow);
        QCOMPARE(printer.model().speed(), printerSpeedAfter);
        QCOMPARE(printer.model().hardwareFlow(), handshake == 2);
        verifyLink(bench, speed, handshake);
        QVERIFY(!bench.wizard().loadedMonitorFrm() && bench.wizard().step2().isVisible());
        QTRY_VERIFY(monitor.isNull());
        QVERIFY(bench.boxes().seen().empty());
    }

    void nearEndIndicator_data() {
        QTest::addColumn<int>("stateByte");
        QTest::addColumn<bool>("nearEnd");
        QTest::newRow("1: near end") << 1 << true;
        QTest::newRow("0: enough paper") << 0 << false;
        QTest::newRow("2: enough paper") << 2 << false;
    }
    // The near-end read-out asks no parameters and leaves the earlier ones alone; the sheet's button
    // is off before the level is awaited.
    void nearEndIndicator() {
        QFETCH(int, stateByte);
        QFETCH(bool, nearEnd);
        Bench bench;
        Sim::SimulatedPrinter& printer = printer9600(bench, 150, kNearEndLevel);
        printer.setReplyOverride(kNearEndState, QByteArray(1, char(stateByte)));
        const OptoParameterBlock earlier{1, 2, 3, 4, 5, 6};
        bench.wizard().state().OptoParams = earlier;
        std::optional<bool> enabledWhileWaiting;
        whenHeard(printer, kNearEndLevel, 1, [&] {
            if (MonitorFrm* loading = bench.wizard().loadedMonitorFrm())
                enabledWhileWaiting = loading->CheckParam->isEnabled();
        });
        MonitorFrm& monitor = open(bench, Sensor::NearEnd, "9600", 1);
        QCOMPARE(enabledWhileWaiting, std::optional<bool>(false));
        QCOMPARE(countOf(printer, kParameters), 0);
        QVERIFY(!monitor.CheckParam->isEnabled());
        QVERIFY(memcmp(&bench.wizard().state().OptoParams, &earlier, sizeof earlier) == 0);
        QCOMPARE(monitor.windowTitle(), QString("Monitoring Near End Of Paper opto-sensor..."));
        QVERIFY(monitor.StateEnough->isHidden() && monitor.StateNEOP->isHidden());
        tick(monitor);
        QCOMPARE(monitor.StateNEOP->isVisible(), nearEnd);
        QCOMPARE(monitor.StateEnough->isVisible(), !nearEnd);
        const QList<Sim::TranscriptEntry> all = printer.transcript();
        QCOMPARE(all[all.size() - 2].bytes, kNearEndState);
        QCOMPARE(all.last().bytes, kNearEndLevel);
    }

    void referenceLinesOnlyForPrinterSensor_data() {
        QTest::addColumn<bool>("printerSensor");
        QTest::newRow("printer opto-sensor") << true;
        QTest::newRow("near-end opto-sensor") << false;
    }
    void referenceLinesOnlyForPrinterSensor() {
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
            if (s.from == QPointF(0, s.from.y()) && s.to == QPointF(30, s.from.y()) &&
                s.colour != Qt::black && s.colour != QColor(255, 0, 0))
                references << qMakePair(int(s.from.y()), s.colour);
        const QList<QPair<int, QColor>> expected{{30, QColor(128, 128, 255)},
                                                 {90, QColor(128, 255, 255)},
                                                 {200, QColor(0, 255, 0)},
                                                 {150, QColor(255, 255, 128)},
                                                 {60, QColor(255, 128, 128)}};
        QCOMPARE(references, (printerSensor ? expected : QList<QPair<int, QColor>>{}));
    }

    // The 60th sample clears, draws the grid and a stroke at x = 0 from the old sweep's end; the next
    // tick draws the grid once more on top, without clearing.
    void sweepWrapsAtSixty() {
        Bench bench;
        printer9600(bench);
        MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
        StripChart& chart = *monitor.Picture1;
        tick(monitor, 59);
        const QList<QPair<int, int>> xs = traceXs(chart);
        QCOMPARE(xs.size(), 59);
        QCOMPARE(xs.first(), qMakePair(0, 0));
        QCOMPARE(xs.last(), qMakePair(29, 30));
        const qint16 endOfOldSweep = monitor.lastSample;
        tick(monitor);
        QCOMPARE(monitor.tickCount, qint16(0));
        QCOMPARE(traceXs(chart), (QList<QPair<int, int>>{{0, 0}}));
        QCOMPARE(chart.strokes().back().from.y(), double(endOfOldSweep));
        QCOMPARE(chart.strokes().back().to.y(), double(monitor.lastSample));
        const size_t gridAndStroke = chart.strokes().size();
        QCOMPARE(chart.texts().size(), size_t(6));
        tick(monitor);
        QCOMPARE(chart.strokes().size(), 2 * gridAndStroke);
        QCOMPARE(chart.texts().size(), size_t(12));
    }

    // The timer keeps running (it falls due twice in a reply's time) and one more tick is forced in
    // the middle of a wait: the printer is never asked again before it replied.
    void tickWaitingKeepsThePort() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printer9600(bench, 120);
        MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
        whenHeard(printer, kOptoLevel, 3, [&] { QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer"); });
        QTRY_VERIFY(countOf(printer, kOptoLevel) >= 6);
        const QList<Sim::TranscriptEntry> asked = heard(printer, kOptoLevel);
        for (qsizetype i = 1; i < asked.size(); ++i)
            QVERIFY2(asked[i].timeMs - asked[i - 1].timeMs >= 120, "asked again before the reply came");
        monitor.Back->click();
    }

    void leavingMidTick_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Back") << "Back";
        QTest::newRow("Exit") << "Exit";
        QTest::newRow("close box, sheet open") << "close";
    }
    // Back and Exit restore the printer; the close box leaves it and the link at 57600 with handshake
    // 2 and unloads the sheet. The abandoned tick's late reply sets nothing going.
    void leavingMidTick() {
        QFETCH(QString, way);
        const bool closeBox = way == "close";
        Bench bench;
        Sim::SimulatedPrinter& printer = printer9600(bench, 200);
        QPointer<MonitorFrm> page = &open(bench, Sensor::Printer, "9600", 1);
        if (closeBox) page->CheckParam->click();
        whenHeard(printer, kOptoLevel, 3, [&] { // the 2nd tick's request
            if (closeBox)
                page->close();
            else
                page->control<QPushButton>(way)->click();
        });
        QTRY_VERIFY(!bench.wizard().loadedMonitorFrm() || bench.ended());
        const int heardAtLeaving = int(printer.transcript().size());
        QTest::qWait(400);
        QCOMPARE(int(printer.transcript().size()), heardAtLeaving);
        const Sim::TranscriptEntry last = printer.transcript().last();
        QCOMPARE(last.bytes, closeBox ? kOptoLevel : setSpeed(0x03));
        QCOMPARE(last.lineSpeed, 57600);
        QCOMPARE(printer.model().speed(), closeBox ? 57600 : 9600);
        verifyLink(bench, closeBox ? "57600" : "9600", closeBox ? 2 : 1);
        QVERIFY(!bench.wizard().loadedPrintParam());
        QCOMPARE(bench.ended(), way == "Exit");
        if (way != "Exit") {
            QVERIFY(bench.wizard().step2().isVisible());
            QTRY_VERIFY(page.isNull());
        }
    }

    void printerTrouble_data() {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("speedAfterBack");
        QTest::newRow("busy port: nothing switched, nothing to restore") << "busy"
                                                                         << "9600";
        QTest::newRow("vanishes mid-tick: the settings stay with the printer") << "vanish"
                                                                               << "57600";
        QTest::newRow("silent at opening: restored blindly") << "silent"
                                                             << "9600";
    }
    // Told once, the ticks stop (the silent printer is still sampled); the sheet of a printer that did
    // not answer stays out of reach, and Back leads to Step2.
    void printerTrouble() {
        QFETCH(QString, trouble);
        QFETCH(QString, speedAfterBack);
        Bench bench;
        Sim::SimulatedPrinter& printer = printer9600(bench, 200);
        if (trouble == "busy") bench.holdBusy(3);
        if (trouble == "silent") printer.setFaults({.silent = true});
        if (trouble == "vanish") whenHeard(printer, kOptoLevel, 2, [&] { printer.vanish(); });
        MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
        QTRY_COMPARE(bench.boxes().seen().size(), size_t(1));
        if (trouble == "vanish") QTest::qWait(200); // a silent printer's tick would wait on
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        const MessageBoxes::Seen box = bench.boxes().seen().front();
        if (trouble == "silent") {
            QCOMPARE(box.text, QString("The printer does not answer at 57600 bauds."));
            QCOMPARE(box.icon, QMessageBox::Warning);
            QVERIFY(!monitor.CheckParam->isEnabled());
        } else {
            QVERIFY(box.text.contains("COM3") || trouble == "vanish");
            QCOMPARE(box.icon, QMessageBox::Critical);
        }
        QCOMPARE(monitor.MonitorTimer->isActive(), trouble == "silent");
        monitor.Back->click();
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(!printer.transcript().isEmpty() && printer.transcript().last().bytes == setSpeed(0x03),
                 trouble == "silent");
        verifyLink(bench, speedAfterBack, speedAfterBack == "9600" ? 1 : 2);
        QVERIFY(bench.wizard().step2().isVisible());
    }
};

QTEST_MAIN(TstMonitorFrm)
#include "tst_monitorfrm.moc"
