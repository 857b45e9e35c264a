// The calibration page: its help page and buttons at each stage, the paper warning and what each answer
// does. The commands and the paper bit are the core's test; the ways off the page while the printer works
// or stays silent are the fault matrix's.
#include "calibration/step3.h"
#include "sensor/chanreflectmodefrm.h"
#include "shell/helppane.h"
#include "support/sensorsteps.h"

#include <QtTest>

using namespace SensorSteps;

namespace {
Step3& arrive(Bench& bench, Sensor sensor) {
    printerAtStep2(bench, {.calibrationTimeMs = 20});
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
        QTest::addColumn<QStringList>("stages");                 // ready, calibrating, after
        QTest::addColumn<QStringList>("heard");
        const QStringList printer{"Step3Printer.html CBE", "Step3PrinterCal.html ---",
                                  "Congratulation.html -BE"};
        const QStringList calibrated{"1b 76", "1d 4f 05 05"};
        QTest::newRow("no paper") << Sensor::Printer << QMessageBox::NoButton << printer << calibrated;
        QTest::newRow("paper, Cancel: calibrated anyway")
            << Sensor::Printer << QMessageBox::Cancel << printer << calibrated;
        QTest::newRow("paper, OK: stopped with the port open; asked again; the close box closes it")
            << Sensor::Printer << QMessageBox::Ok << QStringList{printer[0], "", printer[0]}
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
        if (answer != QMessageBox::NoButton) bench.boxes().answer(answer);
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
            QVERIFY(box.title == "Veltaro 1.0" && box.icon == QMessageBox::Warning);
            QVERIFY(box.buttons == (QMessageBox::Ok | QMessageBox::Cancel) &&
                    box.defaultButton == QMessageBox::Ok);
        }
        QCOMPARE(bench.wizard().state().PortIsOpen, stages[1].isEmpty());
        if (stages[1].isEmpty()) {
            page.Calibrate->click();
            page.close(); // unloaded like with Back
            QCOMPARE(bench.shownPages(), QStringList{"Step2"});
            QVERIFY(step2(bench).PrinterOpto->isChecked() && step2(bench).Calibrate->isChecked());
        }
        QCOMPARE(bench.commandsHex(kPort), heard);
        QVERIFY(bench.portClosedAndIdle());
    }
};

QTEST_MAIN(TstStep3)
#include "tst_step3.moc"
