// The calibration page against a simulated printer: the paper check and its warning, the calibration
// commands and the help page of each stage, and every way off the page while the printer works or has
// stopped answering.
#include "calibration/step3.h"
#include "link/link.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/wizard.h"
#include "support/sensorsteps.h"

#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace SensorSteps;

namespace {
const QString kPaperWarning = "It seems that the paper is not removed from the printer.\r\n"
                              "Please, remove it.\r\n"
                              "\r\n"
                              "Note: If the opto-sensor is not well calibrated, the paper detection\r\n"
                              "may not be correct. In that case, click on cancel.";
const QByteArray kPaperStatus = QByteArray::fromHex("1b76");
const QByteArray kCalibratePrinter = QByteArray::fromHex("1d4f0505");
const QByteArray kCalibrateNearEnd = QByteArray::fromHex("1b6e63");

Sim::PrinterConfig quickPrinter() {
    Sim::PrinterConfig config;
    config.calibrationTimeMs = 20;
    return config;
}

// Through Step2 (and the mode page for the printer's sensor) to the calibration page.
Step3& arrive(Bench& bench, Sensor sensor) {
    choose(bench, sensor, Action::Calibrate);
    step2(bench).Next->click();
    if (sensor == Sensor::Printer) bench.wizard().chanReflectModeFrm().Next->click();
    Step3* page = bench.wizard().loadedStep3();
    Q_ASSERT(page);
    return *page;
}

QString help(const Step3& page) {
    return page.WebBrowser->currentPath().section('/', -1);
}

// Calibrate, Back, Exit enabled as "CBE", a dash for each disabled one.
QString buttons(const Step3& page) {
    return QString(page.Calibrate->isEnabled() ? "C" : "-") + (page.Back->isEnabled() ? "B" : "-") +
           (page.Exit->isEnabled() ? "E" : "-");
}

// What the technician sees when the calibration command reaches the printer.
struct AtCalibration {
    QString help;
    QString buttons;
};
void watchCalibration(Sim::SimulatedPrinter& printer, Bench& bench, AtCalibration& seen) {
    QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer,
                     [&](const Sim::TranscriptEntry& entry) {
                         if (entry.bytes != kCalibratePrinter && entry.bytes != kCalibrateNearEnd) return;
                         if (Step3* page = bench.wizard().loadedStep3()) {
                             seen.help = help(*page);
                             seen.buttons = buttons(*page);
                         }
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
    // With the warning answered Cancel, the calibration goes on exactly as without paper.
    void paperStatus() {
        QFETCH(int, status);
        QFETCH(bool, warned);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, quickPrinter());
        printer.setStatusOverride(quint8(status));
        Step3& page = arrive(bench, Sensor::Printer);
        QCOMPARE(help(page), QString("Step3Printer.html"));
        QCOMPARE(buttons(page), QString("CBE"));
        printer.clearTranscript();
        AtCalibration seen;
        watchCalibration(printer, bench, seen);
        bench.boxes().answer(QMessageBox::Cancel);
        page.Calibrate->click();

        QCOMPARE(bench.boxes().seen().size(), size_t(warned ? 1 : 0));
        if (warned) {
            const MessageBoxes::Seen& box = bench.boxes().seen().front();
            QCOMPARE(box.text, kPaperWarning);
            QCOMPARE(box.title, QString("Veltaro 1.0"));
            QCOMPARE(box.icon, QMessageBox::Warning);
            QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
            QCOMPARE(box.defaultButton, QMessageBox::Ok);
        }
        QCOMPARE(heard(bench), (QStringList{"1b 76", "1d 4f 05 05"}));
        QCOMPARE(seen.help, QString("Step3PrinterCal.html"));
        QCOMPARE(seen.buttons, QString("---"));
        QCOMPARE(help(page), QString("Congratulation.html"));
        QCOMPARE(buttons(page), QString("-BE")); // one calibration per opening
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
    }

    void okAtThePaperWarningStopsWithThePortOpen() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, quickPrinter());
        printer.setPaperPresent(true);
        Step3& page = arrive(bench, Sensor::Printer);
        printer.clearTranscript();
        page.Calibrate->click(); // the default button, OK, is pressed

        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(heard(bench), QStringList{"1b 76"});
        QCOMPARE(buttons(page), QString("CBE"));
        QCOMPARE(help(page), QString("Step3Printer.html"));
        QVERIFY(bench.wizard().state().PortIsOpen);

        // The paper is removed; the second click asks again and calibrates.
        printer.setPaperPresent(false);
        page.Calibrate->click();
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(heard(bench), (QStringList{"1b 76", "1b 76", "1d 4f 05 05"}));
        QCOMPARE(help(page), QString("Congratulation.html"));
        QVERIFY(!bench.wizard().state().PortIsOpen);
    }

    void nearEndSensorSkipsThePaperCheck() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, quickPrinter());
        printer.setPaperPresent(true);
        Step3& page = arrive(bench, Sensor::NearEnd);
        QCOMPARE(help(page), QString("Step3NEOP.html"));
        AtCalibration seen;
        watchCalibration(printer, bench, seen);
        page.Calibrate->click();

        QVERIFY(bench.boxes().seen().empty());
        QCOMPARE(heard(bench), (QStringList{"1b 6e 70", "1b 6e 63"}));
        QCOMPARE(seen.help, QString("Step3NEOPCal.html"));
        QCOMPARE(seen.buttons, QString("---"));
        QCOMPARE(help(page), QString("Congratulation.html"));
        QCOMPARE(buttons(page), QString("-BE"));
    }

    // The whole way from Step2 for the printer's sensor, byte for byte.
    void printerSensorTranscript() {
        Bench bench;
        printerAtStep2(bench, quickPrinter());
        Step3& page = arrive(bench, Sensor::Printer);
        page.Calibrate->click();
        QCOMPARE(heard(bench), (QStringList{"1b 4f", "1b 6f 00", "1b 73", "1b 76", "1d 4f 05 05"}));
        QVERIFY(!page.WebBrowser->showsMissingFile());
    }

    void backClosesThePortAndShowsTheSelection() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, quickPrinter());
        printer.setPaperPresent(true);
        QPointer<Step3> page = &arrive(bench, Sensor::Printer);
        page->Calibrate->click(); // OK at the warning: the port stays open
        QVERIFY(bench.wizard().state().PortIsOpen);
        page->Back->click();

        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
        QVERIFY(!bench.wizard().loadedStep3());
        QTRY_VERIFY(!page);
        QVERIFY(step2(bench).isVisible());
        QVERIFY(step2(bench).PrinterOpto->isChecked());
        QVERIFY(step2(bench).Calibrate->isChecked());

        // The next opening starts ready again.
        printer.setPaperPresent(false);
        step2(bench).Next->click();
        bench.wizard().chanReflectModeFrm().Next->click();
        QVERIFY(bench.wizard().loadedStep3());
        QCOMPARE(buttons(*bench.wizard().loadedStep3()), QString("CBE"));
    }

    void closeBoxAfterThePaperWarningClosesThePort() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, quickPrinter());
        printer.setPaperPresent(true);
        Step3& page = arrive(bench, Sensor::Printer);
        page.Calibrate->click();
        QVERIFY(bench.wizard().state().PortIsOpen);
        page.close();

        QVERIFY(!bench.ended());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
        QVERIFY(step2(bench).isVisible());
    }

    // The close box while the printer calibrates: the wait ends, the page goes, and the end mark that
    // comes later finds nothing to act on.
    void closeBoxWhileCalibrating() {
        Bench bench;
        Sim::PrinterConfig config;
        config.calibrationTimeMs = 300;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, config);
        QPointer<Step3> page = &arrive(bench, Sensor::NearEnd);
        onCommand(printer, kCalibrateNearEnd, [&] { page->close(); });
        page->Calibrate->click();

        QVERIFY(!bench.ended());
        QVERIFY(!bench.wizard().loadedStep3());
        QVERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
        QVERIFY(step2(bench).isVisible());
        QTRY_VERIFY(!page);
        QVERIFY(bench.boxes().seen().empty());

        // A new opening works from the start, once the printer has finished: its late end mark would
        // otherwise be read as the answer to the next question.
        QSignalSpy endMark(&printer, &Sim::SimulatedPrinter::replySent);
        QVERIFY(endMark.wait());
        step2(bench).Next->click();
        Step3* again = bench.wizard().loadedStep3();
        QVERIFY(again);
        QCOMPARE(help(*again), QString("Step3NEOP.html"));
        QCOMPARE(buttons(*again), QString("CBE"));
    }

    void silentPrinterGivesBackAWayOut_data() {
        QTest::addColumn<QByteArray>("silentFrom");
        QTest::addColumn<QString>("leave");
        QTest::newRow("no status byte, Back") << kPaperStatus << "Back";
        QTest::newRow("no end mark, Back") << kCalibratePrinter << "Back";
        QTest::newRow("no end mark, Exit") << kCalibratePrinter << "Exit";
    }
    void silentPrinterGivesBackAWayOut() {
        QFETCH(QByteArray, silentFrom);
        QFETCH(QString, leave);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, quickPrinter());
        Step3& page = arrive(bench, Sensor::Printer);
        printer.setFaults({.silentFrom = silentFrom});
        page.setPatienceMs(50);
        QString buttonsAfterPatience;
        onCommand(printer, silentFrom, [&] {
            Step3* p = bench.wizard().loadedStep3();
            if (!QTest::qWaitFor([&] { return p->Back->isEnabled(); })) return;
            buttonsAfterPatience = buttons(*p);
            (leave == "Back" ? p->Back : p->Exit)->click();
        });
        page.Calibrate->click();

        QCOMPARE(buttonsAfterPatience, QString("-BE"));
        QVERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
        QCOMPARE(bench.ended(), leave == "Exit");
        if (leave == "Back") {
            QVERIFY(!bench.wizard().loadedStep3());
            QVERIFY(step2(bench).isVisible());
        }
    }

    void printerVanishesWhileCalibrating() {
        Bench bench;
        Sim::PrinterConfig config;
        config.calibrationTimeMs = 5000;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, config);
        Step3& page = arrive(bench, Sensor::Printer);
        onCommand(printer, kCalibratePrinter, [&] { printer.vanish(); });
        page.Calibrate->click();

        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Critical);
        QVERIFY(page.isVisible());
        QCOMPARE(buttons(page), QString("CBE"));
        QCOMPARE(help(page), QString("Step3Printer.html"));
        QVERIFY(!bench.wizard().state().PortIsOpen);
    }

    void portCannotBeOpened() {
        Bench bench;
        printerAtStep2(bench, quickPrinter());
        Step3& page = arrive(bench, Sensor::NearEnd);
        bench.holdBusy(kPort);
        page.Calibrate->click();

        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Critical);
        QVERIFY(bench.boxes().seen().front().text.contains("COM3"));
        QCOMPARE(buttons(page), QString("CBE"));
        QCOMPARE(help(page), QString("Step3NEOP.html"));
        QVERIFY(!bench.wizard().state().PortIsOpen);
    }
};

QTEST_MAIN(TstStep3)
#include "tst_step3.moc"
