// The monitor page and its parameter sheet: what they show of the readings (the sweep, the reference
// lines, the near-end indicator, the sheet's texts and place), ticks that never overlap, and the ways off
// the page, mid-tick or after trouble. What the printer is sent and at which speed is the sampler's test.
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "monitor/stripchart.h"
#include "support/sensorsteps.h"

#include <QLabel>
#include <QtTest>

using namespace SensorSteps;

namespace {
// The monitor opened for the sensor, on a printer found on COM3 at 9600 with XON/XOFF.
MonitorFrm& open(Bench& bench, Sensor sensor) {
    choose(bench, sensor, Action::Monitor);
    MonitorFrm& monitor = bench.wizard().monitorFrm();
    monitor.show();
    return monitor;
}
// Each call is one tick run to its end, the page's timer stopped.
void tick(MonitorFrm& monitor, int times = 1) {
    monitor.MonitorTimer->stop();
    for (int i = 0; i < times; ++i)
        QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer");
}
// The strokes of the colour on the chart since it was last cleared, as (x0, y0, x1, y1).
QList<QList<int>> strokes(const StripChart& chart, const QColor& colour) {
    QList<QList<int>> found;
    for (const StripChart::Stroke& s : chart.strokes())
        if (s.colour == colour)
            found << QList<int>{int(s.from.x()), int(s.from.y()), int(s.to.x()), int(s.to.y())};
    return found;
}
const QColor kTrace(255, 0, 0);
} // namespace

class TstMonitorFrm : public QObject {
    Q_OBJECT

private slots:
    void shown_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<int>("state"); // the near-end sensor's
        QTest::addColumn<QString>("title");
        QTest::newRow("printer sensor") << Sensor::Printer << 0 << "Monitoring printer opto-sensor...";
        for (int state : {1, 0, 2})
            QTest::addRow("near-end state %d", state)
                << Sensor::NearEnd << state << "Monitoring Near End Of Paper opto-sensor...";
    }
    // The printer sensor's levels and thresholds as reference lines; for the near-end sensor the indicator
    // instead, and no sheet: it is off before the first reading is awaited, and the parameters read for an
    // earlier monitor stay as they were.
    void shown() {
        QFETCH(Sensor, sensor);
        QFETCH(int, state);
        QFETCH(QString, title);
        const bool printerSensor = sensor == Sensor::Printer;
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, {.optoParams = {0, 30, 90, 200, 150, 60}});
        const QByteArray level = printerSensor ? "\x1do" : "\x1bnl";
        printer.setReplyOverride(level, "\xc8");
        printer.setReplyOverride("\x1bns", QByteArray(1, char(state)));
        printer.setFaults({.onlyFor = level, .delayMs = 100});
        bench.wizard().state().OptoParams = {0, 11, 22, 33, 44, 55};
        std::optional<bool> sheetWhileWaiting;
        onCommand(printer, level,
                  [&] { sheetWhileWaiting = bench.wizard().monitorFrm().CheckParam->isEnabled(); });
        MonitorFrm& monitor = open(bench, sensor);
        QCOMPARE(monitor.windowTitle(), title);
        QCOMPARE(sheetWhileWaiting, std::optional<bool>(printerSensor));
        QCOMPARE(monitor.CheckParam->isEnabled(), printerSensor);
        QCOMPARE(bench.wizard().state().OptoParams.blackLevel, printerSensor ? 30 : 11);
        QVERIFY(monitor.StateEnough->isHidden() && monitor.StateNEOP->isHidden());
        tick(monitor);
        QCOMPARE(monitor.StateNEOP->isVisible(), !printerSensor && state == 1);
        QCOMPARE(monitor.StateEnough->isVisible(), !printerSensor && state != 1);
        QCOMPARE(strokes(*monitor.Picture1, kTrace),
                 (QList<QList<int>>{{0, 200, 0, 200}})); // from the opening's
        QList<int> references; // the height of each line across the sweep, in the order of their colours
        for (const QColor& colour : {QColor(128, 128, 255), QColor(128, 255, 255), QColor(0, 255, 0),
                                     QColor(255, 255, 128), QColor(255, 128, 128)})
            for (const QList<int>& s : strokes(*monitor.Picture1, colour))
                if (s[0] == 0 && s[2] == 30 && s[1] == s[3]) references << s[1];
        QCOMPARE(references, printerSensor ? QList<int>({30, 90, 200, 150, 60}) : QList<int>());
    }

    // The 60th sample clears, draws the grid and a stroke at x = 0 from the old sweep's end; the next tick
    // draws the grid once more on top, without clearing.
    void sweepWrapsAtSixty() {
        Bench bench;
        printerAtStep2(bench);
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        StripChart& chart = *monitor.Picture1;
        tick(monitor, 59);
        const QList<QList<int>> sweep = strokes(chart, kTrace);
        QCOMPARE(sweep.size(), 59);
        QVERIFY(sweep.first()[0] == 0 && sweep.first()[2] == 0 && sweep.last()[0] == 29 &&
                sweep.last()[2] == 30);
        tick(monitor);
        QCOMPARE(monitor.tickCount, qint16(0));
        QCOMPARE(strokes(chart, kTrace), (QList<QList<int>>{{0, sweep.last()[3], 0, monitor.lastSample}}));
        const size_t gridAndStroke = chart.strokes().size();
        QCOMPARE(chart.texts().size(), size_t(6));
        tick(monitor);
        QCOMPARE(chart.strokes().size(), 2 * gridAndStroke);
        QCOMPARE(chart.texts().size(), size_t(12));
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
        monitor.Back->click();
    }

    void leaveMidTick_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Back") << "Back";
        QTest::newRow("Exit") << "Exit";
        QTest::newRow("close box, sheet open") << "close";
    }
    // Back and Exit restore the printer's speed; the close box leaves it and the link at 57600 with
    // hardware flow and unloads the sheet. The abandoned tick's late reply sets nothing going.
    void leaveMidTick() {
        QFETCH(QString, way);
        const bool closeBox = way == "close";
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = "\x1do", .delayMs = 200});
        QPointer<MonitorFrm> page = &open(bench, Sensor::Printer);
        if (closeBox) page->CheckParam->click();
        onCommand(
            printer, "\x1do",
            [&] { closeBox ? void(page->close()) : page->control<QPushButton>(way)->click(); }, 2);
        QTRY_VERIFY(!bench.wizard().loadedMonitorFrm() || bench.ended());
        QTest::qWait(400);
        QCOMPARE(bench.heard(kPort).last(), closeBox ? "1d 6f @57600 hw" : "1d 42 03 @57600 hw");
        QCOMPARE(printer.model().speed(), closeBox ? 57600 : 9600);
        const SharedState& state = bench.wizard().state();
        QVERIFY(state.PrinterSpeed == (closeBox ? "57600" : "9600") &&
                state.PrinterHandshake == (closeBox ? 2 : 1));
        QVERIFY(bench.portClosedAndIdle() && !bench.wizard().loadedPrintParam());
        QCOMPARE(bench.ended(), way == "Exit");
        QCOMPARE(bench.shownPages(), way == "Exit" ? QStringList{} : QStringList{"Step2"});
        QTRY_VERIFY(page.isNull() || bench.ended());
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
    // Told once, the ticks stop (the silent printer is still sampled); the sheet of a printer that did not
    // answer stays out of reach, and Back leads to Step2.
    void printerTrouble() {
        QFETCH(QString, trouble);
        QFETCH(QString, speedAfterBack);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = "\x1do", .delayMs = 200});
        if (trouble == "busy") bench.holdBusy(kPort);
        if (trouble == "silent") printer.setFaults({.silent = true});
        if (trouble == "vanish")
            onCommand(
                printer, "\x1do", [&] { printer.vanish(); }, 2);
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        QTRY_COMPARE(bench.boxes().seen().size(), size_t(1));
        if (trouble == "vanish") QTest::qWait(200); // a second tick would tell again (a silent one waits on)
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        const MessageBoxes::Seen box = bench.boxes().seen().front();
        if (trouble == "silent") {
            QCOMPARE(box.text, QString("The printer does not answer at 57600 bauds."));
            QVERIFY(box.icon == QMessageBox::Warning && !monitor.CheckParam->isEnabled());
        } else {
            QVERIFY(box.icon == QMessageBox::Critical && (box.text.contains("COM3") || trouble == "vanish"));
        }
        QCOMPARE(monitor.MonitorTimer->isActive(), trouble == "silent");
        monitor.Back->click();
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.commandsHex(kPort).value(bench.commandsHex(kPort).size() - 1) == "1d 42 03",
                 trouble == "silent");
        QCOMPARE(bench.wizard().state().PrinterSpeed, speedAfterBack);
        QVERIFY(bench.portClosedAndIdle());
        QCOMPARE(bench.shownPages(), QStringList{"Step2"});
    }

    void parameterSheet_data() {
        QTest::addColumn<QList<int>>("params");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("type 0, levels 0")
            << QList<int>{0, 0, 0, 0, 0, 0}
            << QStringList{"Reflective Optosensor", "Black Level : 0",     "Mark / Backing Level : 0",
                           "Paper Level : 0",       "Paper Threshold : 0", "Mark / Backing Threshold : 0"};
        QTest::newRow("type 255, levels 255 and others")
            << QList<int>{255, 37, 8, 255, 115, 140}
            << QStringList{"Transmitive Optosensor",   "Black Level : 37",
                           "Mark / Backing Level : 8", "Paper Level : 255",
                           "Paper Threshold : 115",    "Mark / Backing Threshold : 140"};
    }
    // The sheet shows the printer's parameters against the monitor's right edge. A second click only shows
    // it again; closed and opened again, it is placed and filled afresh; Back unloads it with the monitor.
    void parameterSheet() {
        QFETCH(QList<int>, params);
        QFETCH(QStringList, lines);
        Bench bench;
        Sim::OptoParams opto;
        std::copy(params.begin(), params.end(), opto.begin());
        printerAtStep2(bench, {.optoParams = opto});
        MonitorFrm& monitor = open(bench, Sensor::Printer);
        const auto shown = [&](PrintParam* sheet) {
            const QRect outer = monitor.frameGeometry();
            return sheet && sheet->isVisible() &&
                   sheet->frameGeometry().topLeft() == outer.topRight() + QPoint(1, 0);
        };
        monitor.move(100, 80);
        monitor.CheckParam->click();
        QPointer<PrintParam> sheet = bench.wizard().loadedPrintParam();
        QVERIFY(shown(sheet));
        QCOMPARE(
            (QStringList{sheet->OptoType_L->text(), sheet->BlackLevel->text(), sheet->MarkLevel->text(),
                         sheet->PaperLevel->text(), sheet->PaperThres->text(), sheet->MarkThres->text()}),
            lines);
        monitor.move(300, 200);
        bench.wizard().state().OptoParams.blackLevel = 99;
        sheet->hide();
        monitor.CheckParam->click();
        QVERIFY(bench.wizard().loadedPrintParam() == sheet && sheet->isVisible() && !shown(sheet));
        QCOMPARE(sheet->BlackLevel->text(), lines[1]);
        sheet->close();
        QTRY_VERIFY(sheet.isNull());
        monitor.CheckParam->click();
        sheet = bench.wizard().loadedPrintParam();
        QVERIFY(shown(sheet));
        QCOMPARE(sheet->BlackLevel->text(), QString("Black Level : 99"));
        monitor.Back->click();
        QTRY_VERIFY(sheet.isNull());
    }
};

QTEST_MAIN(TstMonitorFrm)
#include "tst_monitorfrm.moc"
