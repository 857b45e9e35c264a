// The sensor and action page against a simulated printer: where each choice leads, the near-end
// extension question and how its answer is judged, and the ways back out of a wait.
#include "calibration/step3.h"
#include "detection/step1.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "shell/wizard.h"
#include "support/sensorsteps.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace SensorSteps;

namespace {
const QString kExtensionAbsent = "The Near End Of Paper extension has not been detected !\r\n"
                                 "Can not calibrate or monitor the Near End Of Paper opto-sensor.";
const QByteArray kExtensionQuery = QByteArray::fromHex("1b6e70");

bool extensionAsked(Bench& bench) {
    return heard(bench).contains("1b 6e 70");
}
} // namespace

class TstStep2 : public QObject {
    Q_OBJECT

private slots:
    void resetSelectsMonitorAndPrinterSensor() {
        Bench bench;
        printerAtStep2(bench);
        Step2& page = step2(bench);
        QVERIFY(page.isVisible());
        QVERIFY(page.Monitor->isChecked());
        QVERIFY(page.PrinterOpto->isChecked());
        QVERIFY(page.Next->isEnabled());
        QVERIFY(page.WebBrowser->currentPath().endsWith("Step2.html"));
        QVERIFY(!page.WebBrowser->showsMissingFile());
    }

    void routes_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("asksExtension");
        QTest::newRow("printer sensor, monitor")
            << Sensor::Printer << Action::Monitor << "MonitorFrm" << false;
        QTest::newRow("printer sensor, calibrate")
            << Sensor::Printer << Action::Calibrate << "ChanReflectModeFrm" << false;
        QTest::newRow("near-end sensor, monitor")
            << Sensor::NearEnd << Action::Monitor << "MonitorFrm" << true;
        QTest::newRow("near-end sensor, calibrate")
            << Sensor::NearEnd << Action::Calibrate << "Step3" << true;
    }
    void routes() {
        QFETCH(Sensor, sensor);
        QFETCH(Action, action);
        QFETCH(QString, page);
        QFETCH(bool, asksExtension);
        Bench bench;
        printerAtStep2(bench);
        choose(bench, sensor, action);
        step2(bench).Next->click();

        QVERIFY(!step2(bench).isVisible());
        Wizard& w = bench.wizard();
        const QList<Page*> pages{w.loadedMonitorFrm(), w.loadedChanReflectModeFrm(), w.loadedStep3()};
        QStringList shown;
        for (Page* p : pages)
            if (p && p->isVisible()) shown << p->objectName();
        QCOMPARE(shown, QStringList{page});
        QCOMPARE(extensionAsked(bench), asksExtension);
        if (asksExtension) QCOMPARE(heard(bench).first(), QString("1b 6e 70"));
        QVERIFY(bench.boxes().seen().empty());
    }

    void extensionAnswer_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("fitted");
        QTest::newRow("0: absent") << QByteArray::fromHex("00") << false;
        QTest::newRow("1: fitted") << QByteArray::fromHex("01") << true;
        QTest::newRow("255: fitted") << QByteArray::fromHex("ff") << true;
        QTest::newRow("0 then more bytes: only the first counts") << QByteArray::fromHex("000101") << false;
        QTest::newRow("1 then a 0: only the first counts") << QByteArray::fromHex("0100") << true;
    }
    void extensionAnswer() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, fitted);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride(kExtensionQuery, reply);
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        page.Next->click();

        QVERIFY(!bench.wizard().state().PortIsOpen);
        QCOMPARE(bench.wizard().loadedStep3() != nullptr, fitted);
        QCOMPARE(page.isVisible(), !fitted);
        if (fitted) {
            QVERIFY(bench.boxes().seen().empty());
            return;
        }
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        const MessageBoxes::Seen& box = bench.boxes().seen().front();
        QCOMPARE(box.text, kExtensionAbsent);
        QCOMPARE(box.title, QString("Veltaro 1.0"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(page.NEOPOpto->isChecked());
        QVERIFY(page.Calibrate->isChecked());
        QVERIFY(page.Next->isEnabled());

        // The technician fits the extension and asks again.
        printer.clearReplyOverrides();
        page.Next->click();
        QCOMPARE(heard(bench).count("1b 6e 70"), 2);
        QVERIFY(bench.wizard().loadedStep3());
    }

    void secondNextWhileTheExtensionCheckWaits() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = kExtensionQuery, .delayMs = 300});
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        bool enabledDuringWait = true;
        onCommand(printer, kExtensionQuery, [&] {
            enabledDuringWait = page.Next->isEnabled();
            page.Next->click();
        });
        page.Next->click();

        QVERIFY(!enabledDuringWait);
        QCOMPARE(heard(bench), QStringList{"1b 6e 70"});
        QVERIFY(bench.wizard().loadedStep3());
        QVERIFY(bench.boxes().seen().empty());
    }

    // A printer that never answers the question leaves Back (and Exit) usable.
    void backWhileTheExtensionCheckWaits() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        choose(bench, Sensor::NearEnd, Action::Monitor);
        Step2& page = step2(bench);
        onCommand(printer, kExtensionQuery, [&] { page.Back->click(); });
        page.Next->click();

        Step1& step1 = bench.wizard().step1();
        QVERIFY(step1.isVisible());
        QVERIFY(!page.isVisible());
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(!bench.wizard().link().comm().portOpen());
        QVERIFY(!bench.wizard().link().isWaiting());
        QVERIFY(!bench.wizard().loadedMonitorFrm());
        QVERIFY(bench.boxes().seen().empty());

        // Back on the page later, Next asks again.
        printer.setFaults({});
        page.show();
        QVERIFY(page.Next->isEnabled());
        page.Next->click();
        QCOMPARE(heard(bench).count("1b 6e 70"), 2);
        QVERIFY(bench.wizard().loadedMonitorFrm());
    }

    void exitWhileTheExtensionCheckWaits() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        onCommand(printer, kExtensionQuery, [&] { page.Exit->click(); });
        page.Next->click();
        QVERIFY(bench.ended());
        QVERIFY(!bench.wizard().loadedStep3());
        QVERIFY(bench.boxes().seen().empty());
    }

    void busyPort() {
        Bench bench;
        bench.holdBusy(kPort);
        bench.detected(kPort, "9600", 1);
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        page.Next->click();

        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Critical);
        QVERIFY(bench.boxes().seen().front().text.contains("COM3"));
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(page.isVisible());
        QVERIFY(page.Next->isEnabled());
        QVERIFY(!bench.wizard().loadedStep3());
    }

    void printerVanishesDuringTheExtensionCheck() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        onCommand(printer, kExtensionQuery, [&] { printer.vanish(); });
        page.Next->click();

        QCOMPARE(bench.boxes().seen().size(), size_t(1));
        QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Critical);
        QVERIFY(!bench.wizard().state().PortIsOpen);
        QVERIFY(page.isVisible());
        QVERIFY(page.Next->isEnabled());
        QVERIFY(!bench.wizard().loadedStep3());

        // The adapter is plugged in again: the page works as before.
        QVERIFY(printer.reappear());
        printer.setFaults({});
        page.Next->click();
        QVERIFY(bench.wizard().loadedStep3());
        QCOMPARE(bench.boxes().seen().size(), size_t(1));
    }

    void backKeepsTheSelectionUntilTheNextDetection() {
        Bench bench;
        printerAtStep2(bench);
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        Step1& step1 = bench.wizard().step1();
        step1.ScanStatus->setText("Printer found on COM 3 at 9600 bauds");
        page.Back->click();

        QVERIFY(step1.isVisible());
        QVERIFY(!page.isVisible());
        QCOMPARE(step1.ScanStatus->text(), QString());
        QVERIFY(heard(bench).isEmpty());
        QVERIFY(page.NEOPOpto->isChecked());
        QVERIFY(page.Calibrate->isChecked());

        // A new detection finds the printer and resets the page.
        step1.Start->click();
        QVERIFY(page.isVisible());
        QVERIFY(page.PrinterOpto->isChecked());
        QVERIFY(page.Monitor->isChecked());
        QVERIFY(page.Next->isEnabled());
    }

    void helpButtonOpensTheHelpWindow() {
        Bench bench;
        printerAtStep2(bench);
        Step2& page = step2(bench);
        QVERIFY(!page.HelpButton->icon().isNull());
        page.HelpButton->click();
        HelpFrm* help = bench.wizard().loadedHelpFrm();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->helpPane()->currentPath().endsWith("Help1.html"));
        QVERIFY(!help->helpPane()->showsMissingFile());
        QVERIFY(page.isVisible());

        // Pressed again while open: the same window, Help1.html again.
        help->helpPane()->Navigate(bench.wizard().state().HelpDir + "Step2.html");
        page.HelpButton->click();
        QCOMPARE(bench.wizard().loadedHelpFrm(), help);
        QVERIFY(help->helpPane()->currentPath().endsWith("Help1.html"));
    }

    void closeBoxEndsTheProgram() {
        Bench bench;
        printerAtStep2(bench);
        step2(bench).close();
        QVERIFY(bench.ended());
    }
};

QTEST_MAIN(TstStep2)
#include "tst_step2.moc"
