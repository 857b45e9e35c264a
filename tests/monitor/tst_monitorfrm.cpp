// The monitor page and its parameter sheet: what they show of the readings (the sweep on the strip chart,
// the reference lines, the near-end indicator, the sheet's texts and place), ticks that never overlap,
// and the ways off the page mid-tick or while the port is lost; what the page shows of a lost port and of
// its return. What the printer is sent and at which speed is the sampler's test.
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "monitor/stripchart.h"
#include "record/chartgeometry.h"
#include "record/record.h"
#include "support/sensorsteps.h"
#include "wizard/wizard.h"

#include <QLabel>
#include <QtTest>

#include <csignal>

using namespace SensorSteps;

namespace {
MonitorFrm& open(Bench& bench, Sensor sensor) {
    choose(bench, sensor, Action::Monitor);
    step2(bench).Next->click();
    return bench.wizard().monitorFrm();
}
// Each call is one tick run to its end, the page's timer stopped.
void tick(MonitorFrm& monitor, int times = 1) {
    monitor.MonitorTimer->stop();
    for (int i = 0; i < times; ++i)
        QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer");
}
// The strokes of a colour on the chart since it was last cleared, as x0, y0, x1, y1.
QList<QList<int>> strokes(const StripChart& chart, const QColor& colour = QColor(255, 0, 0)) {
    QList<QList<int>> found;
    for (const StripChart::Stroke& s : chart.strokes())
        if (s.colour == colour)
            found << QList<int>{int(s.from.x()), int(s.from.y()), int(s.to.x()), int(s.to.y())};
    return found;
}
} // namespace

class TstMonitorFrm : public QObject {
    Q_OBJECT

private slots:
    // The pictures live in the application's static library, whose resource table only a caller pulls in.
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    void shown_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<int>("type"); // the printer sensor's; the near-end sensor's state
        QTest::addColumn<QString>("sheet");
        QTest::newRow("printer sensor, reflective") << Sensor::Printer << 0 << "Reflective Optosensor";
        QTest::newRow("printer sensor, type 255") << Sensor::Printer << 255 << "Transmitive Optosensor";
        for (int state : {1, 0, 2})
            QTest::addRow("near-end state %d", state) << Sensor::NearEnd << state << QString();
    }
    // The printer sensor's levels and thresholds as reference lines and on the sheet, the trace from the
    // opening's reading; for the near-end sensor the indicator instead, and no sheet: it is off before the
    // first reading is awaited, and the parameters read for an earlier monitor stay as they were.
    void shown() {
        QFETCH(Sensor, sensor);
        QFETCH(int, type);
        QFETCH(QString, sheet);
        const bool printerSensor = sensor == Sensor::Printer;
        Bench bench;
        Sim::SimulatedPrinter& printer =
            printerAtStep2(bench, {.optoParams = {quint8(type), 30, 90, 200, 150, 60}});
        const QByteArray level = printerSensor ? "\x1do" : "\x1bnl";
        printer.setReplyOverride(level, "\xc8");
        printer.setReplyOverride("\x1bns", QByteArray(1, char(type)));
        printer.setFaults({.onlyFor = level, .delayMs = 100});
        bench.wizard().state().OptoParams = {0, 11, 22, 33, 44, 55};
        std::optional<bool> sheetWhileWaiting;
        onCommand(printer, level,
                  [&] { sheetWhileWaiting = bench.wizard().monitorFrm().CheckParam->isEnabled(); });
        MonitorFrm& monitor = open(bench, sensor);
        QCOMPARE(monitor.windowTitle(), printerSensor ? "Monitoring printer opto-sensor..."
                                                      : "Monitoring Near End Of Paper opto-sensor...");
        QVERIFY(sheetWhileWaiting == printerSensor && monitor.CheckParam->isEnabled() == printerSensor);
        QCOMPARE(bench.wizard().state().OptoParams.blackLevel, printerSensor ? 30 : 11);
        QVERIFY(monitor.StateEnough->isHidden() && monitor.StateNEOP->isHidden());
        tick(monitor);
        QCOMPARE(monitor.StateNEOP->isVisible(), !printerSensor && type == 1);
        QCOMPARE(monitor.StateEnough->isVisible(), !printerSensor && type != 1);
        QCOMPARE(strokes(*monitor.Picture1), (QList<QList<int>>{{0, 200, 0, 200}}));
        QList<int> references; // the height of each line across the sweep, in the order of their colours
        for (const QColor& colour : {QColor(128, 128, 255), QColor(128, 255, 255), QColor(0, 255, 0),
                                     QColor(255, 255, 128), QColor(255, 128, 128)})
            for (const QList<int>& s : strokes(*monitor.Picture1, colour))
                if (s[0] == 0 && s[2] == 30 && s[1] == s[3]) references << s[1];
        QCOMPARE(references, printerSensor ? QList<int>({30, 90, 200, 150, 60}) : QList<int>());
        if (!printerSensor) return;

        // The sheet, against the monitor's right edge. A second click only shows it again; closed and
        // opened again, it is placed and filled afresh; Back unloads it with the monitor.
        const auto placed = [&](PrintParam* params) {
            return params && params->isVisible() &&
                   params->frameGeometry().topLeft() == monitor.frameGeometry().topRight() + QPoint(1, 0);
        };
        monitor.CheckParam->click();
        QPointer<PrintParam> params = bench.wizard().loadedPrintParam();
        QVERIFY(placed(params));
        QCOMPARE(
            (QStringList{params->OptoType_L->text(), params->BlackLevel->text(), params->MarkLevel->text(),
                         params->PaperLevel->text(), params->PaperThres->text(), params->MarkThres->text()}),
            (QStringList{sheet, "Black Level : 30", "Mark / Backing Level : 90", "Paper Level : 200",
                         "Paper Threshold : 150", "Mark / Backing Threshold : 60"}));
        monitor.move(monitor.pos() + QPoint(50, 40));
        bench.wizard().state().OptoParams.blackLevel = 99;
        params->hide();
        monitor.CheckParam->click();
        QVERIFY(bench.wizard().loadedPrintParam() == params && params->isVisible() && !placed(params));
        QCOMPARE(params->BlackLevel->text(), QString("Black Level : 30"));
        params->close();
        QTRY_VERIFY(params.isNull());
        monitor.CheckParam->click();
        params = bench.wizard().loadedPrintParam();
        QVERIFY(placed(params) && params->BlackLevel->text() == "Black Level : 99");
        monitor.Back->click();
        QTRY_VERIFY(params.isNull());
    }

    // Each sample moves the trace by half a unit, rounded half to even; the 60th clears, draws the grid and
    // a stroke at x = 0 from the old sweep's end; the next draws the grid once more on top.
    void sweep() {
        Bench bench;
        printerAtStep2(bench);
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        StripChart& chart = *monitor.Picture1;
        tick(monitor, 59);
        QList<QPoint> xs;
        for (const QList<int>& s : strokes(chart))
            xs << QPoint(s[0], s[2]);
        QCOMPARE(
            xs.mid(0, 10),
            (QList<QPoint>{{0, 0}, {0, 1}, {1, 2}, {2, 2}, {2, 2}, {2, 3}, {3, 4}, {4, 4}, {4, 4}, {4, 5}}));
        QVERIFY(xs.size() == 59 && xs.last() == QPoint(29, 30));
        const int endOfSweep = strokes(chart).last()[3];
        tick(monitor);
        QCOMPARE(monitor.tickCount, qint16(0));
        QCOMPARE(strokes(chart), (QList<QList<int>>{{0, endOfSweep, 0, monitor.lastSample}}));
        const size_t gridAndStroke = chart.strokes().size();
        QVERIFY(chart.texts().size() == 6 && chart.texts().back().text == "Time base: 500ms");
        tick(monitor);
        QVERIFY(chart.strokes().size() == 2 * gridAndStroke && chart.texts().size() == 12);
    }

    // The chart keeps its drawings over its background picture through repaints, until cleared.
    void canvas() {
        QWidget window;
        StripChart chart(":/chart-background.jpg", &window);
        chart.setGeometry(8, 8, 345, 249);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage background = chart.canvas();
        QVERIFY(background.size() == QSize(343, 247) && background.pixelColor(10, 10) != Qt::white);
        chart.setDrawWidth(2);
        chart.drawLine({5, 100}, {25, 100}, QColor(255, 0, 0));
        chart.repaint();
        const QPoint middle = chart.toPixels({15, 100}).toPoint() + chart.contentsRect().topLeft();
        QCOMPARE(chart.grab().toImage().pixelColor(middle), QColor(255, 0, 0));
        chart.clear();
        QVERIFY(chart.strokes().empty() && chart.canvas() == background);
    }

    // The timer keeps running (it falls due twice in a reply's time) and one more tick is forced in the
    // middle of a wait: the printer is never asked again before it replied.
    void ticksNeverOverlap() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = "\x1do", .delayMs = 120});
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        onCommand(
            printer, "\x1do", [&] { QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer"); }, 3);
        QTRY_VERIFY(bench.commandsHex(kPort).count("1d 6f") >= 6);
        qint64 asked = -120;
        for (const Sim::TranscriptEntry& e : printer.transcript())
            if (e.bytes == "\x1do")
                QVERIFY2(std::exchange(asked, e.timeMs) <= e.timeMs - 120, "asked too soon");
        // The ticks that fell due meanwhile are missing samples in the record, not a timeline closed up.
        const std::vector<Printer::Sample> samples = monitor.recordSheet().samples;
        QVERIFY(
            std::any_of(samples.begin(), samples.end(), [](const Printer::Sample& s) { return !s.value; }));
        monitor.Back->click();
    }

    void leaveMidTick_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Back") << "Back";
        QTest::newRow("Exit") << "Exit";
        QTest::newRow("close box, sheet open") << "close";
        QTest::newRow("SIGTERM") << "SIGTERM";
        QTest::newRow("SIGHUP, the terminal closed") << "SIGHUP";
        QTest::newRow("the session's end") << "session";
    }
    // Back and Exit restore the printer's speed, and so does the system ending the program (a signal, the
    // session's end); the close box leaves it and the link at 57600 with hardware flow and unloads the
    // sheet. The abandoned tick's late reply sets nothing going.
    void leaveMidTick() {
        QFETCH(QString, way);
        const bool closeBox = way == "close", ends = way != "Back" && !closeBox;
        Bench bench;
        bench.wizard().takeEndRequests(false);
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = "\x1do", .delayMs = 200});
        QPointer<MonitorFrm> page = &open(bench, Sensor::Printer);
        if (closeBox) page->CheckParam->click();
        const std::function<void()> leave = [&] {
            if (way == "SIGTERM" || way == "SIGHUP") ::raise(way == "SIGTERM" ? SIGTERM : SIGHUP);
            if (way == "session") QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
            if (way == "Back" || way == "Exit") page->control<QPushButton>(way)->click();
            if (closeBox) page->close();
        };
        onCommand(printer, "\x1do", leave, 2);
        QTRY_VERIFY(!bench.wizard().loadedMonitorFrm() || bench.ended());
        QTest::qWait(400);
        QCOMPARE(bench.heard(kPort).last(), closeBox ? "1d 6f @57600 hw" : "1d 42 03 @57600 hw");
        QCOMPARE(printer.model().speed(), closeBox ? 57600 : 9600);
        const SharedState& state = bench.wizard().state();
        QVERIFY(state.PrinterSpeed == (closeBox ? "57600" : "9600") &&
                state.PrinterHandshake == (closeBox ? 2 : 1));
        QVERIFY(bench.portClosedAndIdle() && !bench.wizard().loadedPrintParam() && bench.ended() == ends);
        QCOMPARE(bench.shownPages(), ends ? QStringList() : QStringList{"Step2"});
        QTRY_VERIFY(page.isNull() || bench.ended());
    }

    // COM3's entry removed and made again: one box, the title says the page waits, and the trace goes on
    // by itself where the time axis has got to, not joined to the old one. A printer started afresh and
    // calibrated meanwhile brings its new reference lines. A printer switched off and on behind a port that
    // stays is said in the title alone, as silence, and comes back the same way.
    void portComesBack_data() {
        QTest::addColumn<bool>("startedAfresh");
        QTest::addColumn<bool>("powerCycle");
        QTest::newRow("printer kept at 57600") << false << false;
        QTest::newRow("printer started afresh") << true << false;
        QTest::newRow("printer switched off and on, port staying") << true << true;
    }
    void portComesBack() {
        QFETCH(bool, startedAfresh);
        QFETCH(bool, powerCycle);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, {.optoParams = {0, 30, 90, 200, 150, 60}});
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        const QString caption = monitor.windowTitle();
        QTRY_VERIFY(strokes(*monitor.Picture1).size() >= 3);
        powerCycle ? printer.setPowered(false) : printer.vanish();
        QTRY_COMPARE_WITH_TIMEOUT(monitor.windowTitle(),
                                  QString(powerCycle ? "Waiting for the printer on COM3 to answer..."
                                                     : "Waiting for COM3 to come back..."),
                                  10000);
        QVERIFY(monitor.Back->isEnabled() && monitor.Exit->isEnabled());
        const QList<QList<int>> before = strokes(*monitor.Picture1);
        QTest::qWait(1500);
        if (startedAfresh) {
            printer.setSpeed(9600);
            printer.setHardwareFlow(false);
            printer.setOptoParams({0, 35, 90, 200, 150, 60});
        }
        if (powerCycle)
            printer.setPowered(true);
        else
            QVERIFY(printer.reappear());
        // Switched off, a look may be waiting out the opening's limit for a reply that never comes.
        QTRY_COMPARE_WITH_TIMEOUT(monitor.windowTitle(), QString("COM3 is back: monitoring goes on."), 15000);
        QTRY_VERIFY(strokes(*monitor.Picture1) != before && strokes(*monitor.Picture1).size() >= 2);
        const QList<QList<int>> after = strokes(*monitor.Picture1);
        // Still on the old sweep, the first new stroke starts at least a second on (ten x units) from the
        // old trace's end; a gap past the sweep's end has cleared the chart.
        if (after.mid(0, before.size()) == before)
            QVERIFY2(after[before.size()][0] >= before.last()[2] + 10,
                     qPrintable(QString::number(after[before.size()][0])));
        QCOMPARE(bench.boxes().texts().size(), powerCycle ? 0 : 1);
        QCOMPARE(bench.wizard().state().OptoParams.blackLevel, startedAfresh ? 35 : 30);
        if (startedAfresh) QCOMPARE(strokes(*monitor.Picture1, QColor(128, 128, 255)).value(0).value(1), 35);
        QTRY_COMPARE_WITH_TIMEOUT(monitor.windowTitle(), caption, 5000);
        monitor.Back->click();
        QTRY_VERIFY(!bench.wizard().loadedMonitorFrm());
        QVERIFY(bench.heard(kPort).last() == "1d 42 03 @57600 hw" && printer.model().speed() == 9600);
    }

    void leaveWhileWaiting_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Back") << "Back";
        QTest::newRow("Exit") << "Exit";
        QTest::newRow("close box") << "close";
    }
    // Back and Exit work at once while the port is lost, and nothing goes out. The link settings say the
    // saved speed (the close box: 57600), and the switch the printer may be owed goes out at the next open:
    // the monitor opened again finds the printer that kept 57600.
    void leaveWhileWaiting() {
        QFETCH(QString, way);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        QPointer<MonitorFrm> page = &open(bench, Sensor::Printer);
        QTRY_VERIFY(bench.commandsHex(kPort).count("1d 6f") >= 3);
        printer.vanish();
        QTRY_COMPARE(bench.boxes().texts().size(), 1);
        way == "close" ? void(page->close()) : page->control<QPushButton>(way)->click();
        QVERIFY(!bench.wizard().loadedMonitorFrm() || bench.ended());
        QVERIFY(bench.portClosedAndIdle() && bench.ended() == (way == "Exit"));
        const SharedState& state = bench.wizard().state();
        const bool closeBox = way == "close";
        QVERIFY(state.PrinterSpeed == (closeBox ? "57600" : "9600") && state.owedSwitch &&
                state.owedSwitch->configuration == (closeBox ? 0x86 : 0x03));
        if (way == "Exit") return;
        printer.clearTranscript();
        QVERIFY(printer.reappear());
        step2(bench).Next->click();
        QTRY_VERIFY(bench.commandsHex(kPort).count("1d 6f") >= 3);
        QCOMPARE(bench.heard(kPort).mid(0, 2), closeBox
                                                   ? QStringList({"1d 42 86 @9600", "1d 42 86 @57600 hw"})
                                                   : QStringList({"1d 42 03 @57600 hw", "1d 42 86 @9600"}));
        QCOMPARE(bench.boxes().texts().size(), 1);
        bench.wizard().monitorFrm().Back->click();
    }

    // Through ser2net the page samples at 57600 and puts the speed back as on a local line; a server that
    // goes away mid-monitor is told once, naming the port, and Back still leaves.
    void remoteMonitor_data() {
        QTest::addColumn<bool>("serverStops");
        QTest::newRow("Back") << false;
        QTest::newRow("server stopped, then Back") << true;
    }
    void remoteMonitor() {
        QFETCH(bool, serverStops);
        Bench bench;
        Sim::SimulatedPrinter* printer = bench.remotePrinter(kPort);
        VERIFY_SER2NET(printer);
        bench.detected(kPort, "9600", 1);
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        QTRY_VERIFY(bench.commandsHex(kPort).count("1d 6f") >= 5);
        if (serverStops) {
            bench.serverAt(kPort)->stop();
            QTRY_COMPARE(bench.boxes().texts().size(), 1);
            QTest::qWait(300); // the ticks that follow fail without a word
        }
        monitor.Back->click();
        QTRY_VERIFY(!bench.wizard().loadedMonitorFrm());
        const QStringList boxes = bench.boxes().texts();
        QCOMPARE(boxes.size(), serverStops ? 1 : 0);
        QCOMPARE(bench.heard(kPort).first(), QString("1d 42 86 @9600"));
        if (serverStops)
            QVERIFY2(boxes[0].contains("The serial port COM3 cannot be used"), qPrintable(boxes[0]));
        else
            QVERIFY(bench.heard(kPort).last() == "1d 42 03 @57600 hw" && printer->model().speed() == 9600);
        QVERIFY(bench.portClosedAndIdle());
    }
};

QTEST_MAIN(TstMonitorFrm)
#include "tst_monitorfrm.moc"
