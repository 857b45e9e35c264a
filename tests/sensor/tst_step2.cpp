// The sensor and action page against a simulated printer: where each choice leads, the near-end
// extension question and how its answer is judged, and the ways back out of its wait.
#include "detection/step1.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"
#include "support/sensorsteps.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace SensorSteps;

namespace {
const QByteArray kExtensionQuery = QByteArray::fromHex("1b6e70");
}

class TstStep2 : public QObject {
    Q_OBJECT

private slots:
    void routes_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("printer, monitor")
            << Sensor::Printer << Action::Monitor << "MonitorFrm" << QStringList{};
        QTest::newRow("printer, calibrate")
            << Sensor::Printer << Action::Calibrate << "ChanReflectModeFrm" << QStringList{"1b 4f"};
        QTest::newRow("near end, monitor")
            << Sensor::NearEnd << Action::Monitor << "MonitorFrm" << QStringList{"1b 6e 70"};
        QTest::newRow("near end, calibrate")
            << Sensor::NearEnd << Action::Calibrate << "Step3" << QStringList{"1b 6e 70"};
    }
    void routes() {
        QFETCH(Sensor, sensor);
        QFETCH(Action, action);
        QFETCH(QString, page);
        QFETCH(QStringList, asked);
        Bench bench;
        printerAtStep2(bench);
        choose(bench, sensor, action);
        step2(bench).Next->click();
        QCOMPARE(shownPages(bench), QStringList{page});
        // The monitor talks to the printer as it opens; only what came before it counts here.
        QCOMPARE(heard(bench).mid(0, asked.size()), asked);
        QCOMPARE(heard(bench).contains("1b 6e 70"), sensor == Sensor::NearEnd);
        QVERIFY(bench.boxes().seen().empty());
    }

    void extensionAnswer_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("fitted");
        QTest::newRow("0: absent") << QByteArray::fromHex("00") << false;
        QTest::newRow("1: fitted") << QByteArray::fromHex("01") << true;
        QTest::newRow("255: fitted") << QByteArray::fromHex("ff") << true;
        QTest::newRow("0 and more together") << QByteArray::fromHex("000101") << false;
        QTest::newRow("1 and a 0 together") << QByteArray::fromHex("0100") << true;
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
        QVERIFY(portClosedAndIdle(bench));
        QCOMPARE(shownPages(bench), QStringList{fitted ? "Step3" : "Step2"});
        if (fitted) {
            QVERIFY(bench.boxes().seen().empty());
            return;
        }
        QCOMPARE(bench.boxes().texts(),
                 QStringList{"The Near End Of Paper extension has not been detected !\r\n"
                             "Can not calibrate or monitor the Near End Of Paper "
                             "opto-sensor."});
        QCOMPARE(bench.boxes().seen().front().title, QString("Veltaro 1.0"));
        QCOMPARE(bench.boxes().seen().front().icon, QMessageBox::Warning);
        QCOMPARE(bench.boxes().seen().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked() && page.Next->isEnabled());

        printer.clearReplyOverrides(); // the extension is fitted; Next asks again
        page.Next->click();
        QCOMPARE(heard(bench), (QStringList{"1b 6e 70", "1b 6e 70"}));
        QCOMPARE(shownPages(bench), QStringList{"Step3"});
    }

    void secondNextWhileTheExtensionCheckWaits() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = kExtensionQuery, .delayMs = 300});
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        onCommand(printer, kExtensionQuery, [&] { page.Next->click(); });
        page.Next->click();
        QCOMPARE(heard(bench), QStringList{"1b 6e 70"});
        QCOMPARE(shownPages(bench), QStringList{"Step3"});
    }

    // A printer that never answers leaves Back usable; back on the page, Next asks again.
    void backWhileTheExtensionCheckWaits() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        choose(bench, Sensor::NearEnd, Action::Monitor);
        Step2& page = step2(bench);
        onCommand(printer, kExtensionQuery, [&] { page.Back->click(); });
        page.Next->click();
        QCOMPARE(shownPages(bench), QStringList{"Step1"});
        QVERIFY(portClosedAndIdle(bench));

        printer.setFaults({});
        bench.wizard().step1().hide();
        page.show();
        page.Next->click();
        QCOMPARE(heard(bench).count("1b 6e 70"), 2);
        QCOMPARE(shownPages(bench), QStringList{"MonitorFrm"});
        QVERIFY(bench.boxes().seen().empty());
    }

    void portBusyOrLost_data() {
        QTest::addColumn<bool>("busy");
        QTest::newRow("busy port") << true;
        QTest::newRow("printer vanishes during the wait") << false;
    }
    void portBusyOrLost() {
        QFETCH(bool, busy);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, {.speed = 9600});
        if (busy) bench.holdBusy(kPort);
        printer.setFaults({.silent = true});
        onCommand(printer, kExtensionQuery, [&] { printer.vanish(); });
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        page.Next->click();
        QCOMPARE(boxIcons(bench), QList{QMessageBox::Critical});
        QVERIFY(bench.boxes().texts().front().contains("COM3"));
        QCOMPARE(shownPages(bench), QStringList{"Step2"});
        QVERIFY(page.Next->isEnabled());
        QVERIFY(portClosedAndIdle(bench));
    }

    void backKeepsTheSelectionUntilTheNextDetection() {
        Bench bench;
        printerAtStep2(bench);
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        Step1& step1 = bench.wizard().step1();
        step1.ScanStatus->setText("SIM-80 Receipt found on COM 3 at 9600 bauds");
        page.Back->click();
        QCOMPARE(shownPages(bench), QStringList{"Step1"});
        QCOMPARE(step1.ScanStatus->text(), QString());
        QVERIFY(heard(bench).isEmpty());
        page.show(); // as the port selection page's Next does: no reset
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked());

        page.Back->click();
        step1.Start->click();
        QCOMPARE(shownPages(bench), QStringList{"Step2"});
        QVERIFY(page.PrinterOpto->isChecked() && page.Monitor->isChecked() && page.Next->isEnabled());
    }
};

QTEST_MAIN(TstStep2)
#include "tst_step2.moc"
