// The calibration page against a simulated printer: the paper check and its warning, the calibration
// commands and the help page of each stage, and every way off the page while the printer works or has
// stopped answering.
#include "calibration/step3.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "wizard/wizard.h"
#include "support/sensorsteps.h"

#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace SensorSteps;

namespace {
const QByteArray kCalibratePrinter = QByteArray::fromHex("1d4f0505");
const QByteArray kCalibrateNearEnd = QByteArray::fromHex("1b6e63");

Step3& arrive(Bench& bench, Sensor sensor, int calibrationMs = 20) {
    printerAtStep2(bench, {.calibrationTimeMs = calibrationMs});
    choose(bench, sensor, Action::Calibrate);
    step2(bench).Next->click();
    if (sensor == Sensor::Printer) bench.wizard().chanReflectModeFrm().Next->click();
    return bench.wizard().step3();
}

// The help page and the buttons (Calibrate, Back, Exit; a dash for each disabled one).
QString stage(const Step3& page) {
    return page.WebBrowser->currentPath().section('/', -1) + " " + (page.Calibrate->isEnabled() ? "C" : "-") +
           (page.Back->isEnabled() ? "B" : "-") + (page.Exit->isEnabled() ? "E" : "-");
}

// The stage the technician sees at the moment the calibration command reaches the printer.
void watchCalibration(Bench& bench, QString& seen) {
    Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
    QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer, [&](const auto& entry) {
        if (entry.bytes == kCalibratePrinter || entry.bytes == kCalibrateNearEnd)
            seen = stage(*bench.wizard().loadedStep3());
    });
}
} // namespace

class TstStep3 : public QObject {
    Q_OBJECT

private slots:
    void paperStatus_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("warned");
        QTest::newRow("0x04: no paper") << 0x04 << false;
        QTest::newRow("0xFF: bit 2 set") << 0xFF << false;
        QTest::newRow("0x0C: bit 2 set") << 0x0C << false;
        QTest::newRow("0x00: paper") << 0x00 << true;
        QTest::newRow("0xFB: bit 2 clear") << 0xFB << true;
    }
    // Cancel at the warning goes on exactly as a status without paper does.
    void paperStatus() {
        QFETCH(int, status);
        QFETCH(bool, warned);
        Bench bench;
        Step3& page = arrive(bench, Sensor::Printer);
        bench.printerAt(kPort)->setStatusOverride(quint8(status));
        QCOMPARE(stage(page), QString("Step3Printer.html CBE"));
        QString atCalibration;
        watchCalibration(bench, atCalibration);
        bench.boxes().answer(QMessageBox::Cancel);
        page.Calibrate->click();

        QCOMPARE(bench.boxes().seen().size(), size_t(warned));
        if (warned) {
            const MessageBoxes::Seen& box = bench.boxes().seen().front();
            QCOMPARE(box.text,
                     QString("It seems that the paper is not removed from the printer.\r\n"
                             "Please, remove it.\r\n\r\n"
                             "Note: If the opto-sensor is not well calibrated, the paper detection\r\n"
                             "may not be correct. In that case, click on cancel."));
            QCOMPARE(box.title, QString("Veltaro 1.0"));
            QCOMPARE(box.icon, QMessageBox::Warning);
            QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
            QCOMPARE(box.defaultButton, QMessageBox::Ok);
        }
        QCOMPARE(heard(bench), (QStringList{"1b 4f", "1b 6f 00", "1b 73", "1b 76", "1d 4f 05 05"}));
        QCOMPARE(atCalibration, QString("Step3PrinterCal.html ---"));
        QCOMPARE(stage(page), QString("Congratulation.html -BE")); // one calibration per opening
        QVERIFY(portClosedAndIdle(bench));
    }

    // OK stops with the port open; the next click asks again; Back closes the port.
    void okAtThePaperWarning() {
        Bench bench;
        Step3& page = arrive(bench, Sensor::Printer);
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        printer.setPaperPresent(true);
        printer.clearTranscript();
        page.Calibrate->click();
        QCOMPARE(heard(bench), QStringList{"1b 76"});
        QCOMPARE(stage(page), QString("Step3Printer.html CBE"));
        QVERIFY(bench.wizard().state().PortIsOpen);

        page.Calibrate->click();
        QCOMPARE(heard(bench), (QStringList{"1b 76", "1b 76"}));
        page.Back->click();
        QVERIFY(portClosedAndIdle(bench));
        QCOMPARE(shownPages(bench), QStringList{"Step2"});
        QVERIFY(step2(bench).PrinterOpto->isChecked() && step2(bench).Calibrate->isChecked());
    }

    void nearEndSensor() {
        Bench bench;
        Step3& page = arrive(bench, Sensor::NearEnd);
        bench.printerAt(kPort)->setPaperPresent(true);
        QCOMPARE(stage(page), QString("Step3NEOP.html CBE"));
        QString atCalibration;
        watchCalibration(bench, atCalibration);
        page.Calibrate->click();
        QVERIFY(bench.boxes().seen().empty());
        QCOMPARE(heard(bench), (QStringList{"1b 6e 70", "1b 6e 63"}));
        QCOMPARE(atCalibration, QString("Step3NEOPCal.html ---"));
        QCOMPARE(stage(page), QString("Congratulation.html -BE"));
    }

    void closeBox_data() {
        QTest::addColumn<bool>("calibrating");
        QTest::newRow("after OK at the paper warning") << false;
        QTest::newRow("while the printer calibrates") << true;
    }
    // The page goes, the port is closed, and a late end mark finds nothing to act on.
    void closeBox() {
        QFETCH(bool, calibrating);
        Bench bench;
        QPointer<Step3> page = &arrive(bench, Sensor::Printer, 300);
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        printer.setPaperPresent(!calibrating);
        onCommand(printer, kCalibratePrinter, [&] { page->close(); });
        QSignalSpy replies(&printer, &Sim::SimulatedPrinter::replySent);
        page->Calibrate->click();
        if (!calibrating) page->close();
        QVERIFY(!bench.ended());
        QVERIFY(portClosedAndIdle(bench));
        QCOMPARE(shownPages(bench), QStringList{"Step2"});
        QTRY_VERIFY(!page);

        // Once the printer is done (its end mark would otherwise answer the next question), a new
        // opening starts from the beginning.
        if (calibrating)
            QTRY_VERIFY(!replies.isEmpty() && replies.last().at(0).toByteArray() == QByteArray(1, '\0'));
        step2(bench).Next->click();
        bench.wizard().chanReflectModeFrm().Next->click();
        QCOMPARE(stage(bench.wizard().step3()), QString("Step3Printer.html CBE"));
    }

    void silentPrinter_data() {
        QTest::addColumn<QByteArray>("silentFrom");
        QTest::addColumn<bool>("exit");
        QTest::newRow("no status byte, Back") << QByteArray::fromHex("1b76") << false;
        QTest::newRow("no end mark, Back") << kCalibratePrinter << false;
        QTest::newRow("no end mark, Exit") << kCalibratePrinter << true;
    }
    // Back and Exit come back after a while of silence; the calibration stays out of reach.
    void silentPrinter() {
        QFETCH(QByteArray, silentFrom);
        QFETCH(bool, exit);
        Bench bench;
        Step3& page = arrive(bench, Sensor::Printer);
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        printer.setFaults({.silentFrom = silentFrom});
        page.setPatienceMs(50);
        QString buttons;
        onCommand(printer, silentFrom, [&] {
            if (!QTest::qWaitFor([&] { return page.Back->isEnabled(); })) return;
            buttons = stage(page).section(' ', 1);
            (exit ? page.Exit : page.Back)->click();
        });
        page.Calibrate->click();
        QCOMPARE(buttons, QString("-BE"));
        QVERIFY(portClosedAndIdle(bench));
        QCOMPARE(bench.ended(), exit);
        if (!exit) QCOMPARE(shownPages(bench), QStringList{"Step2"});
    }

    void printerVanishesWhileCalibrating() {
        Bench bench;
        Step3& page = arrive(bench, Sensor::Printer, 5000);
        Sim::SimulatedPrinter& printer = *bench.printerAt(kPort);
        onCommand(printer, kCalibratePrinter, [&] { printer.vanish(); });
        page.Calibrate->click();
        QCOMPARE(boxIcons(bench), QList{QMessageBox::Critical});
        QCOMPARE(stage(page), QString("Step3Printer.html CBE"));
        QVERIFY(portClosedAndIdle(bench));
    }

    void portBusy() {
        Bench bench;
        Step3& page = arrive(bench, Sensor::NearEnd);
        bench.holdBusy(kPort);
        page.Calibrate->click();
        QCOMPARE(boxIcons(bench), QList{QMessageBox::Critical});
        QVERIFY(bench.boxes().texts().front().contains("COM3"));
        QCOMPARE(stage(page), QString("Step3NEOP.html CBE"));
        QVERIFY(portClosedAndIdle(bench));
    }
};

QTEST_MAIN(TstStep3)
#include "tst_step3.moc"
