// The sensor and action page and the opto-sensor mode page: where each choice leads, the box for a missing
// near-end extension, the mode shown and written back, which buttons work while the printer is asked, and
// the selection kept until the next detection. How the printer's answers are read is the core's test.
#include "support/sensorsteps.h"

#include "detection/step1.h"
#include "sensor/chanreflectmodefrm.h"

#include <QAccessible>
#include <QLabel>
#include <QtTest>

using namespace SensorSteps;

namespace {
ChanReflectModeFrm& modePage(Bench& bench) {
    choose(bench, Sensor::Printer, Action::Calibrate);
    step2(bench).Next->click();
    return bench.wizard().chanReflectModeFrm();
}
QString shownMode(const ChanReflectModeFrm& page) {
    return QString(page.Reflect->isChecked() ? "R" : "") + (page.Transmit->isChecked() ? "T" : "");
}
} // namespace

class TstSensorPages : public QObject {
    Q_OBJECT

private slots:
    void routes_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<Action>("action");
        QTest::addColumn<bool>("fitted"); // the near-end extension
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("printer, monitor")
            << Sensor::Printer << Action::Monitor << false << QStringList{"MonitorFrm"};
        QTest::newRow("printer, calibrate")
            << Sensor::Printer << Action::Calibrate << false << QStringList{"ChanReflectModeFrm"};
        QTest::newRow("near end, monitor")
            << Sensor::NearEnd << Action::Monitor << true << QStringList{"MonitorFrm"};
        QTest::newRow("near end, calibrate")
            << Sensor::NearEnd << Action::Calibrate << true << QStringList{"Step3"};
        QTest::newRow("near end without the extension")
            << Sensor::NearEnd << Action::Calibrate << false << QStringList{"Step2"};
    }
    // The extension is asked about first, whatever the action. Without it the selection stays for another
    // try, and Next asks again.
    void routes() {
        QFETCH(Sensor, sensor);
        QFETCH(Action, action);
        QFETCH(bool, fitted);
        QFETCH(QStringList, shown);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, {.extensionFitted = fitted});
        choose(bench, sensor, action);
        step2(bench).Next->click();
        QVERIFY(bench.shownPages() == shown && bench.portClosedAndIdle());
        QCOMPARE(bench.commandsHex(kPort).indexOf("1b 6e 70"), sensor == Sensor::NearEnd ? 0 : -1);
        QCOMPARE(bench.boxes().seen().size(), size_t(sensor == Sensor::NearEnd && !fitted));
        if (bench.boxes().seen().empty()) return;
        const MessageBoxes::Seen& box = bench.boxes().seen().at(0);
        QCOMPARE(box.text, "The Near End Of Paper extension has not been detected !\r\n"
                           "Can not calibrate or monitor the Near End Of Paper opto-sensor.");
        QVERIFY(box.title == "Veltaro 1.0" && box.icon == QMessageBox::Warning &&
                box.buttons == QMessageBox::Ok);
        QVERIFY(step2(bench).NEOPOpto->isChecked() && step2(bench).Calibrate->isChecked());
        printer.setExtensionFitted(true);
        step2(bench).Next->click();
        QVERIFY(bench.commandsHex(kPort).count("1b 6e 70") == 2 &&
                bench.shownPages() == QStringList{"Step3"});
    }

    // While the printer is asked about its extension a second Next asks nothing more, and Back leaves;
    // either way the page is ready to ask again. Back keeps the selection (the port selection page's Next
    // shows Step2 as it was) and clears Step1's status line; a search resets the selection.
    void whileAsked_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("a second Next") << "Next" << QStringList{"Step3"};
        QTest::newRow("Back") << "Back" << QStringList{"Step1"};
    }
    void whileAsked() {
        QFETCH(QString, button);
        QFETCH(QStringList, shown);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = "\x1bnp", .delayMs = 300});
        Step2& page = step2(bench);
        Step1& step1 = bench.wizard().step1();
        step1.ScanStatus->setText("SIM-80 Receipt found on COM 3 at 9600 bauds");
        onCommand(printer, "\x1bnp", [&] { page.control<QPushButton>(button)->click(); });
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        page.Next->click();
        QVERIFY(bench.shownPages() == shown && bench.portClosedAndIdle());
        QVERIFY(bench.commandsHex(kPort) == QStringList{"1b 6e 70"} && page.Next->isEnabled());
        if (button != "Back") return;
        QVERIFY(step1.ScanStatus->text().isEmpty());
        page.show();
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked());
        page.Back->click();
        step1.Start->click();
        QCOMPARE(bench.shownPages(), QStringList{"Step2"});
        QVERIFY(page.PrinterOpto->isChecked() && page.Monitor->isChecked());
    }

    void modeWrittenBack_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("toggle"); // transmissive, chosen through a screen reader's toggle action
        QTest::addColumn<int>("written");
        QTest::newRow("0: reflective") << QByteArray::fromHex("00146ed2738c") << "R" << false << 0;
        QTest::newRow("1: transmissive") << QByteArray::fromHex("01146ed2738c") << "T" << false << 1;
        QTest::newRow("255: written as transmissive")
            << QByteArray::fromHex("ff146ed2738c") << "T" << false << 1;
        QTest::newRow("longer reply") << QByteArray::fromHex("00000000000001ff") << "R" << false << 0;
        QTest::newRow("reflective, transmissive chosen")
            << QByteArray::fromHex("00146ed2738c") << "R" << true << 1;
    }
    // Next (Enter on it) writes back the mode shown, then stores it. The two options sit in different
    // frames and are one choice all the same.
    void modeWrittenBack() {
        QFETCH(QByteArray, block);
        QFETCH(QString, shown);
        QFETCH(bool, toggle);
        QFETCH(int, written);
        Bench bench;
        printerAtStep2(bench).setReplyOverride("\x1bO", block);
        ChanReflectModeFrm& page = modePage(bench);
        QVERIFY(shownMode(page) == shown && bench.portClosedAndIdle());
        QCOMPARE(page.focusWidget(), page.Next); // Enter goes on; it does not press Exit
        if (toggle)
            QAccessible::queryAccessibleInterface(page.Transmit)
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(shownMode(page), toggle ? "T" : shown);
        QTest::keyClick(page.Next, Qt::Key_Return);
        QCOMPARE(bench.commandsHex(kPort),
                 (QStringList{"1b 4f", QString("1b 6f 0%1").arg(written), "1b 73"}));
        QVERIFY(bench.shownPages() == QStringList{"Step3"} && bench.portClosedAndIdle());
    }

    // Back, even while the printer is silent, writes nothing, and the next visit reads the mode again.
    void backWritesNothing() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.silent = true});
        onCommand(printer, "\x1bO", [&] { bench.wizard().chanReflectModeFrm().Back->click(); });
        ChanReflectModeFrm& page = modePage(bench);
        QVERIFY(bench.shownPages() == QStringList{"Step2"} && bench.portClosedAndIdle());
        printer.setFaults({});
        step2(bench).Next->click();
        page.Back->click();
        step2(bench).Next->click();
        QVERIFY(shownMode(page) == "R" && page.Next->isEnabled());
        QCOMPARE(bench.commandsHex(kPort), (QStringList{"1b 4f", "1b 4f", "1b 4f"}));
    }
};

QTEST_MAIN(TstSensorPages)
#include "tst_sensorpages.moc"
