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
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("printer, monitor") << Sensor::Printer << Action::Monitor << QStringList{"MonitorFrm"};
        QTest::newRow("printer, calibrate")
            << Sensor::Printer << Action::Calibrate << QStringList{"ChanReflectModeFrm"};
        QTest::newRow("near end, monitor") << Sensor::NearEnd << Action::Monitor << QStringList{"MonitorFrm"};
        QTest::newRow("near end, calibrate") << Sensor::NearEnd << Action::Calibrate << QStringList{"Step3"};
    }
    void routes() {
        QFETCH(Sensor, sensor);
        QFETCH(Action, action);
        QFETCH(QStringList, shown);
        Bench bench;
        printerAtStep2(bench);
        choose(bench, sensor, action);
        step2(bench).Next->click();
        QVERIFY(bench.shownPages() == shown && bench.boxes().seen().empty());
        // The extension is asked about first, whatever the action.
        QCOMPARE(bench.commandsHex(kPort).indexOf("1b 6e 70"), sensor == Sensor::NearEnd ? 0 : -1);
    }

    // The selection stays for another try, and Next asks again.
    void extensionAbsent() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, {.extensionFitted = false});
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        page.Next->click();
        QVERIFY(bench.shownPages() == QStringList{"Step2"} && bench.portClosedAndIdle());
        const MessageBoxes::Seen& box = bench.boxes().seen().at(0);
        QCOMPARE(box.text, "The Near End Of Paper extension has not been detected !\r\n"
                           "Can not calibrate or monitor the Near End Of Paper opto-sensor.");
        QVERIFY(box.title == "Veltaro 1.0" && box.icon == QMessageBox::Warning &&
                box.buttons == QMessageBox::Ok);
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked() && page.Next->isEnabled());
        printer.setExtensionFitted(true);
        page.Next->click();
        QCOMPARE(bench.commandsHex(kPort), (QStringList{"1b 6e 70", "1b 6e 70"}));
        QCOMPARE(bench.shownPages(), QStringList{"Step3"});
    }

    // While the printer is asked about its extension a second Next asks nothing more, and Back leaves;
    // either way the page is ready to ask again.
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
        onCommand(printer, "\x1bnp", [&] { step2(bench).control<QPushButton>(button)->click(); });
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        step2(bench).Next->click();
        QVERIFY(bench.shownPages() == shown && bench.portClosedAndIdle());
        QVERIFY(bench.commandsHex(kPort) == QStringList{"1b 6e 70"} && step2(bench).Next->isEnabled());
    }

    // Back keeps the selection (the port selection page's Next shows Step2 as it was); a search resets it.
    void selectionKeptUntilTheNextDetection() {
        Bench bench;
        printerAtStep2(bench);
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        Step1& step1 = bench.wizard().step1();
        step1.ScanStatus->setText("SIM-80 Receipt found on COM 3 at 9600 bauds");
        page.Back->click();
        QVERIFY(bench.shownPages() == QStringList{"Step1"} && step1.ScanStatus->text().isEmpty());
        page.show();
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked());
        page.Back->click();
        step1.Start->click();
        QCOMPARE(bench.shownPages(), QStringList{"Step2"});
        QVERIFY(page.PrinterOpto->isChecked() && page.Monitor->isChecked() && page.Next->isEnabled());
    }

    void modeReadAndWrittenBack_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("written");
        QTest::newRow("0: reflective") << QByteArray::fromHex("00146ed2738c") << "R" << 0;
        QTest::newRow("1: transmissive") << QByteArray::fromHex("01146ed2738c") << "T" << 1;
        QTest::newRow("255: written as transmissive") << QByteArray::fromHex("ff146ed2738c") << "T" << 1;
        QTest::newRow("longer reply") << QByteArray::fromHex("00000000000001ff") << "R" << 0;
    }
    // Next without touching the options writes back the mode read, then stores it.
    void modeReadAndWrittenBack() {
        QFETCH(QByteArray, block);
        QFETCH(QString, shown);
        QFETCH(int, written);
        Bench bench;
        printerAtStep2(bench).setReplyOverride("\x1bO", block);
        ChanReflectModeFrm& page = modePage(bench);
        QVERIFY(shownMode(page) == shown && bench.portClosedAndIdle());
        page.Next->click();
        QCOMPARE(bench.commandsHex(kPort),
                 (QStringList{"1b 4f", QString("1b 6f 0%1").arg(written), "1b 73"}));
        QVERIFY(bench.shownPages() == QStringList{"Step3"} && bench.portClosedAndIdle());
    }

    // Five bytes keep the reading going, with Next out of reach; the sixth ends it and its mode wins.
    void fiveBytesKeepTheReadingGoing() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setReplyOverride("\x1bO", QByteArray::fromHex("01146ed273"));
        QString meanwhile;
        onCommand(printer, "\x1bO", [&] {
            ChanReflectModeFrm& page = bench.wizard().chanReflectModeFrm();
            if (!QTest::qWaitFor([&] { return bench.wizard().link().comm().inBufferCount() == 5; })) return;
            page.Reflect->click(); // the technician's choice does not open the way to Next yet
            page.Next->click();
            meanwhile = shownMode(page) + (page.Next->isEnabled() ? "+next" : "") +
                        (bench.wizard().link().isWaiting() ? "+waiting" : "");
            printer.send(QByteArray::fromHex("8c"));
        });
        ChanReflectModeFrm& page = modePage(bench);
        QCOMPARE(meanwhile, QString("R+waiting"));
        QCOMPARE(shownMode(page), QString("T"));
        QCOMPARE(bench.commandsHex(kPort), QStringList{"1b 4f"});
    }

    // Back, even while the printer is silent, writes nothing, and the next visit reads the mode again.
    // The two options sit in different frames and are one choice all the same, whether clicked or toggled
    // by a screen reader; Enter presses the focused Next.
    void backAndChoice() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench); // reflective
        printer.setFaults({.silent = true});
        onCommand(printer, "\x1bO", [&] { bench.wizard().chanReflectModeFrm().Back->click(); });
        ChanReflectModeFrm& page = modePage(bench);
        QVERIFY(bench.shownPages() == QStringList{"Step2"} && bench.portClosedAndIdle());
        printer.setFaults({});
        step2(bench).Next->click();
        page.Transmit->click();
        page.Reflect->click();
        QCOMPARE(shownMode(page), QString("R"));
        page.Back->click();
        step2(bench).Next->click();
        QCOMPARE(shownMode(page), QString("R"));
        QAccessible::queryAccessibleInterface(page.Transmit)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(shownMode(page), QString("T"));
        QTest::keyClick(page.Next, Qt::Key_Return);
        QCOMPARE(bench.commandsHex(kPort), (QStringList{"1b 4f", "1b 4f", "1b 4f", "1b 6f 01", "1b 73"}));
    }
};

QTEST_MAIN(TstSensorPages)
#include "tst_sensorpages.moc"
