// The calibration page: its help page and buttons at each stage, the paper warning and what each answer
// does, and every way off the page while the printer works, has stopped answering or has gone. The
// commands and the paper bit are the core's test.
#include "calibration/step3.h"
#include "sensor/chanreflectmodefrm.h"
#include "shell/helppane.h"
#include "support/sensorsteps.h"

#include <QtTest>

using namespace SensorSteps;

namespace {
Step3& arrive(Bench& bench, Sensor sensor, int calibrationMs = 20) {
    printerAtStep2(bench, {.calibrationTimeMs = calibrationMs});
    choose(bench, sensor, Action::Calibrate);
    step2(bench).Next->click();
    if (sensor == Sensor::Printer) bench.wizard().chanReflectModeFrm().Next->click();
    bench.printerAt(kPort)->clearTranscript();
    return bench.wizard().step3();
}

// The help page and the buttons (Calibrate, Back, Exit; a dash for each disabled one).
QString stage(const Step3& page) {
    return page.WebBrowser->currentPath().section('/', -1) + " " + (page.Calibrate->isEnabled() ? "C" : "-") +
           (page.Back->isEnabled() ? "B" : "-") + (page.Exit->isEnabled() ? "E" : "-");
}
} // namespace

class TstStep3 : public QObject {
    Q_OBJECT

private slots:
    void stages_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<QMessageBox::StandardButton>("answer"); // at the paper warning; NoButton: no paper
        QTest::addColumn<QStringList>("stages");                 // ready, calibrating, done
        QTest::addColumn<QStringList>("heard");
        const QStringList printer{"Step3Printer.html CBE", "Step3PrinterCal.html ---",
                                  "Congratulation.html -BE"};
        QTest::newRow("no paper") << Sensor::Printer << QMessageBox::NoButton << printer
                                  << QStringList{"1b 76", "1d 4f 05 05"};
        QTest::newRow("paper, Cancel: calibrated anyway")
            << Sensor::Printer << QMessageBox::Cancel << printer << QStringList{"1b 76", "1d 4f 05 05"};
        QTest::newRow("paper, OK: stopped with the port open; asked again; Back closes it")
            << Sensor::Printer << QMessageBox::Ok
            << QStringList{"Step3Printer.html CBE", "", "Step3Printer.html CBE"}
            << QStringList{"1b 76", "1b 76"};
        QTest::newRow("near-end sensor: no paper check")
            << Sensor::NearEnd << QMessageBox::Ok
            << QStringList{"Step3NEOP.html CBE", "Step3NEOPCal.html ---", "Congratulation.html -BE"}
            << QStringList{"1b 6e 63"};
    }
    void stages() {
        QFETCH(Sensor, sensor);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QStringList, stages);
        QFETCH(QStringList, heard);
        Bench bench;
        Step3& page = arrive(bench, sensor);
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        printer.setPaperPresent(answer != QMessageBox::NoButton);
        QCOMPARE(stage(page), stages[0]);
        QString calibrating;
        connect(&printer, &Sim::SimulatedPrinter::commandReceived, &page, [&](const Sim::TranscriptEntry& e) {
            if (e.bytes != "\x1bv") calibrating = stage(page);
        });
        bench.boxes().answer(answer);
        page.Calibrate->click();
        QCOMPARE(calibrating, stages[1]);
        QCOMPARE(stage(page), stages[2]);
        const bool warned = sensor == Sensor::Printer && answer != QMessageBox::NoButton;
        QCOMPARE(bench.boxes().seen().size(), size_t(warned));
        if (warned) {
            const MessageBoxes::Seen& box = bench.boxes().seen().front();
            QCOMPARE(box.text,
                     QString("It seems that the paper is not removed from the printer.\r\n"
                             "Please, remove it.\r\n\r\n"
                             "Note: If the opto-sensor is not well calibrated, the paper detection\r\n"
                             "may not be correct. In that case, click on cancel."));
            QCOMPARE(box.title, QString("Veltaro 1.0"));
            QVERIFY(box.icon == QMessageBox::Warning &&
                    box.buttons == (QMessageBox::Ok | QMessageBox::Cancel));
            QCOMPARE(box.defaultButton, QMessageBox::Ok);
        }
        QCOMPARE(bench.wizard().state().PortIsOpen, stages[1].isEmpty());
        if (stages[1].isEmpty()) {
            bench.boxes().answer(QMessageBox::Ok);
            page.Calibrate->click();
            page.Back->click();
            QCOMPARE(bench.shownPages(), QStringList{"Step2"});
            QVERIFY(step2(bench).PrinterOpto->isChecked() && step2(bench).Calibrate->isChecked());
        }
        QCOMPARE(bench.commandsHex(kPort), heard);
        QVERIFY(bench.portClosedAndIdle());
    }

    void waysOut_data() {
        QTest::addColumn<QString>("trouble"); // what the printer does
        QTest::addColumn<QString>("way");     // what the technician does, once the command is heard
        QTest::addColumn<QByteArray>("when");
        QTest::addColumn<QString>("after"); // the stage after, or the page shown
        const QByteArray status("\x1bv"), calibrate("\x1dO\x05\x05");
        QTest::newRow("paper, OK at the warning, then the close box") << "paper"
                                                                      << "" << QByteArray() << "Step2";
        QTest::newRow("close box while the printer calibrates") << ""
                                                                << "close" << calibrate << "Step2";
        QTest::newRow("no status byte, Back once silent") << "silent"
                                                          << "Back" << status << "Step2";
        QTest::newRow("no end mark, Back once silent") << "silent"
                                                       << "Back" << calibrate << "Step2";
        QTest::newRow("no end mark, Exit once silent") << "silent"
                                                       << "Exit" << calibrate << "";
        QTest::newRow("printer vanishes while calibrating") << "vanish"
                                                            << "" << calibrate << "Step3Printer.html CBE";
        QTest::newRow("port held by another program") << "busy"
                                                      << "" << QByteArray() << "Step3Printer.html CBE";
    }
    // The page goes, or is ready again after telling the trouble once; the port is closed either way, and
    // a late end mark finds nothing to act on.
    void waysOut() {
        QFETCH(QString, trouble);
        QFETCH(QString, way);
        QFETCH(QByteArray, when);
        QFETCH(QString, after);
        Bench bench;
        QPointer<Step3> page = &arrive(bench, Sensor::Printer, 300);
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        printer.setPaperPresent(trouble == "paper");
        if (trouble == "silent") printer.setFaults({.silentFrom = when});
        if (trouble == "busy") bench.holdBusy(kPort);
        page->setPatienceMs(50);
        QString buttons;
        onCommand(printer, when, [&] {
            if (trouble == "vanish") printer.vanish();
            if (trouble == "silent" && QTest::qWaitFor([&] { return page->Back->isEnabled(); }))
                buttons = stage(*page).section(' ', 1);
            if (way == "close") page->close();
            if (way == "Back" || way == "Exit") page->control<QPushButton>(way)->click();
        });
        page->Calibrate->click();
        if (trouble == "paper") page->close();
        QVERIFY(bench.portClosedAndIdle());
        QCOMPARE(bench.ended(), after.isEmpty());
        if (trouble == "silent") QCOMPARE(buttons, QString("-BE"));
        if (after == "Step2") {
            QCOMPARE(bench.shownPages(), QStringList{"Step2"});
            QTRY_VERIFY(!page);
            QTest::qWait(400); // the end mark of a calibration in progress
            printer.setFaults({});
            step2(bench).Next->click();
            bench.wizard().chanReflectModeFrm().Next->click();
            QCOMPARE(stage(bench.wizard().step3()), QString("Step3Printer.html CBE"));
        } else if (!after.isEmpty()) {
            QCOMPARE(stage(*page), after);
            QCOMPARE(bench.boxes().seen().size(), size_t(1));
            QCOMPARE(bench.boxes().seen().at(0).icon, QMessageBox::Critical);
            if (trouble == "busy") QVERIFY(bench.boxes().texts().at(0).contains("COM3"));
        }
    }
};

QTEST_MAIN(TstStep3)
#include "tst_step3.moc"
