// The sensor and action page: where each choice leads and what is asked on the way, the box for a missing
// near-end extension, clicks while the printer is asked about it, and the selection kept until the next
// detection. How the printer's answer is judged is the core's test.
#include "detection/step1.h"
#include "support/sensorsteps.h"

#include <QLabel>
#include <QtTest>

using namespace SensorSteps;

class TstStep2 : public QObject {
    Q_OBJECT

private slots:
    void routes_data() {
        QTest::addColumn<Sensor>("sensor");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("asked"); // first
        QTest::newRow("printer, monitor") << Sensor::Printer << Action::Monitor << "MonitorFrm"
                                          << "1d 42 86";
        QTest::newRow("printer, calibrate") << Sensor::Printer << Action::Calibrate << "ChanReflectModeFrm"
                                            << "1b 4f";
        QTest::newRow("near end, monitor") << Sensor::NearEnd << Action::Monitor << "MonitorFrm"
                                           << "1b 6e 70";
        QTest::newRow("near end, calibrate") << Sensor::NearEnd << Action::Calibrate << "Step3"
                                             << "1b 6e 70";
    }
    void routes() {
        QFETCH(Sensor, sensor);
        QFETCH(Action, action);
        QFETCH(QString, page);
        QFETCH(QString, asked);
        Bench bench;
        printerAtStep2(bench);
        choose(bench, sensor, action);
        step2(bench).Next->click();
        QCOMPARE(bench.shownPages(), QStringList{page});
        QCOMPARE(bench.commandsHex(kPort).value(0), asked);
        QCOMPARE(bench.commandsHex(kPort).count("1b 6e 70"), int(sensor == Sensor::NearEnd));
        QVERIFY(bench.boxes().seen().empty());
    }

    // The selection stays for another try; Next asks again.
    void extensionAbsent() {
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench, {.extensionFitted = false});
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        page.Next->click();
        QCOMPARE(bench.shownPages(), QStringList{"Step2"});
        QVERIFY(bench.portClosedAndIdle());
        const MessageBoxes::Seen& box = bench.boxes().seen().at(0);
        QCOMPARE(box.text, "The Near End Of Paper extension has not been detected !\r\n"
                           "Can not calibrate or monitor the Near End Of Paper opto-sensor.");
        QCOMPARE(box.title, QString("Veltaro 1.0"));
        QVERIFY(box.icon == QMessageBox::Warning && box.buttons == QMessageBox::Ok);
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked() && page.Next->isEnabled());
        printer.setExtensionFitted(true);
        page.Next->click();
        QCOMPARE(bench.commandsHex(kPort), (QStringList{"1b 6e 70", "1b 6e 70"}));
        QCOMPARE(bench.shownPages(), QStringList{"Step3"});
    }

    // While the printer is asked: a second Next asks nothing more; Back leaves, and the page is ready to
    // ask again; a port that cannot be used is told once, and the page is ready again.
    void whileAsked_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("page");
        QTest::newRow("a second Next") << "next"
                                       << "Step3";
        QTest::newRow("Back") << "back"
                              << "Step1";
        QTest::newRow("port held by another program") << "busy"
                                                      << "Step2";
        QTest::newRow("printer vanishes") << "vanish"
                                          << "Step2";
    }
    void whileAsked() {
        QFETCH(QString, what);
        QFETCH(QString, page);
        Bench bench;
        Sim::SimulatedPrinter& printer = printerAtStep2(bench);
        printer.setFaults({.onlyFor = "\x1bnp", .delayMs = 300});
        if (what == "busy") bench.holdBusy(kPort);
        Step2& step2 = SensorSteps::step2(bench);
        onCommand(printer, "\x1bnp", [&] {
            if (what == "next") step2.Next->click();
            if (what == "back") step2.Back->click();
            if (what == "vanish") printer.vanish();
        });
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        step2.Next->click();
        QCOMPARE(bench.shownPages(), QStringList{page});
        QVERIFY(bench.portClosedAndIdle());
        QCOMPARE(bench.commandsHex(kPort).count("1b 6e 70"), int(what != "busy"));
        const bool told = what == "busy" || what == "vanish";
        QCOMPARE(bench.boxes().seen().size(), size_t(told));
        if (told) QVERIFY(bench.boxes().seen().at(0).icon == QMessageBox::Critical);
        if (what == "busy") QVERIFY(bench.boxes().texts().at(0).contains("COM3"));
        QVERIFY(step2.Next->isEnabled());
    }

    void backKeepsTheSelectionUntilTheNextDetection() {
        Bench bench;
        printerAtStep2(bench);
        choose(bench, Sensor::NearEnd, Action::Calibrate);
        Step2& page = step2(bench);
        Step1& step1 = bench.wizard().step1();
        step1.ScanStatus->setText("SIM-80 Receipt found on COM 3 at 9600 bauds");
        page.Back->click();
        QCOMPARE(bench.shownPages(), QStringList{"Step1"});
        QCOMPARE(step1.ScanStatus->text(), QString());
        QVERIFY(bench.commandsHex(kPort).isEmpty());
        page.show(); // as the port selection page's Next does: no reset
        QVERIFY(page.NEOPOpto->isChecked() && page.Calibrate->isChecked());
        page.Back->click();
        step1.Start->click();
        QCOMPARE(bench.shownPages(), QStringList{"Step2"});
        QVERIFY(page.PrinterOpto->isChecked() && page.Monitor->isChecked() && page.Next->isEnabled());
    }
};

QTEST_MAIN(TstStep2)
#include "tst_step2.moc"
