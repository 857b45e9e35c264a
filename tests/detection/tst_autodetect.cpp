// The automatic search from the detection page's Start button, against simulated printers on
// pseudo-terminals: where and how the printer is found, what the technician reads meanwhile, and what the
// printer hears, in order and at which line speed.
#include "detectionsteps.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTest>

using namespace DetectionSteps;

namespace {
const QString kNotFound = QStringLiteral("No printer found");
const QString kLoaderText = QStringLiteral("The previous firmware upgrade has not been completed \r\n"
                                           "successfully, or the firmware has been corrupted.\r\n\r\n"
                                           "Please, flash the printer firmware.");

enum class Setup { NoPort, CanAndMore, TwoByteStatus, BusyPort, SilentToIdentification };
} // namespace
Q_DECLARE_METATYPE(Setup)

class TstAutodetect : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() { bench.reset(); }

    void foundAtSpeed_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("hardware");
        QTest::addColumn<QStringList>("texts"); // the status texts in order, checked when given
        QTest::newRow("115200 on COM1, XON/XOFF") << 1 << 115200 << false << QStringList{};
        QTest::newRow("28800 on COM5, hardware flow") << 5 << 28800 << true << QStringList{};
        QTest::newRow("1200 on COM6, XON/XOFF") << 6 << 1200 << false << QStringList{};
        QStringList texts{"Trying to wake-up the printer",
                          "Attempting to contact printer in BIOS mode on COM3"};
        for (const char* speed : {"115200", "57600", "38400", "28800", "19200"})
            texts << QStringLiteral("Attempting to contact printer on COM 3 at %1 bauds.").arg(speed);
        QTest::newRow("19200 on COM3, the texts")
            << 3 << 19200 << false << (texts << "SIM-80 Receipt found on COM 3 at 19200 bauds");
    }
    void foundAtSpeed() {
        QFETCH(int, port);
        QFETCH(int, speed);
        QFETCH(bool, hardware);
        QFETCH(QStringList, texts);
        Sim::PrinterConfig config;
        config.speed = speed;
        config.hardwareFlow = hardware;
        Sim::SimulatedPrinter& printer = bench->printer(port, config);
        Step1& step1 = shownStep1(*bench);
        // The port selection page loads while Step1 shows: its first text reaches Step1 as well.
        PortSelection& selection = bench->wizard().portSelection();
        QCOMPARE(step1.ScanStatus->text(), QStringLiteral("No printer found yet, please start detection."));
        StatusLog log;
        log.watch(bench->wizard());
        step1.Start->click();

        if (!texts.isEmpty()) {
            QCOMPARE(log.texts, texts);
            QCOMPARE(log.onStep1, texts);
        }
        const SharedState& state = bench->wizard().state();
        QVERIFY(state.PrinterFound);
        QCOMPARE(int(state.PrinterPort), port);
        QCOMPARE(state.PrinterSpeed, QString::number(speed));
        QCOMPARE(int(state.PrinterHandshake), hardware ? 2 : 1);
        QCOMPARE(selection.serialspeed->currentText(), QString::number(speed));
        QVERIFY(selection.findChild<QRadioButton*>(QStringLiteral("COM%1").arg(port))->isChecked());
        QCOMPARE(selection.serialhandshakeconf->currentText(), hardware ? "DSR/DTR Mode" : "Xon-Xoff");
        QVERIFY(selection.Next->isEnabled());
        QCOMPARE(
            bench->boxes().texts(),
            QStringList{QStringLiteral("SIM-80 Receipt found on COM %1 at  %2 bauds").arg(port).arg(speed)});
        QCOMPARE(bench->boxes().seen().front().icon, QMessageBox::Information);
        QCOMPARE(bench->boxes().seen().front().title, QStringLiteral("Veltaro 1.0"));

        QVERIFY(step1.isHidden() && selection.isHidden());
        QVERIFY(bench->wizard().loadedStep2() && bench->wizard().loadedStep2()->isVisible());
        QCOMPARE(busyParts(*bench), QString());
        QCOMPARE(heard(printer), searchedDownTo(speed) + presenceAndProbe(speed));
    }

    void notFound_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("lastText");
        QTest::addColumn<QStringList>("texts");    // checked when given
        QTest::addColumn<QStringList>("heardOn2"); // what a printer on COM2 heard

        QTest::newRow("no port at all")
            << Setup::NoPort << kNotFound << QStringList{"Trying to wake-up the printer", kNotFound}
            << QStringList{};
        QTest::newRow("CAN and another byte is not the loader")
            << Setup::CanAndMore << kNotFound << QStringList{} << searchedDownTo(1200);
        QTest::newRow("two bytes to the status request")
            << Setup::TwoByteStatus << kNotFound << QStringList{} << searchedDownTo(1200);
        QStringList busyTexts{"Trying to wake-up the printer",
                              "Attempting to contact printer in BIOS mode on COM2"};
        for (int speed : scanOrder())
            busyTexts << QStringLiteral("Attempting to contact printer on COM 2 at %1 bauds.").arg(speed);
        QTest::newRow("busy port is passed over")
            << Setup::BusyPort << kNotFound << (busyTexts << kNotFound) << QStringList{};
        QTest::newRow("found by the scan, silent to identification")
            << Setup::SilentToIdentification << QStringLiteral("No printer found on COM 2 at 9600 bauds")
            << QStringList{}
            << searchedDownTo(9600) +
                   QStringList{line(kCan, 9600), line(kStatus, 9600), line(kIdentify, 9600, true)};
    }
    void notFound() {
        QFETCH(Setup, setup);
        QFETCH(QString, lastText);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, heardOn2);
        Sim::PrinterConfig config;
        Sim::Faults faults;
        switch (setup) {
        case Setup::NoPort:
            break;
        case Setup::CanAndMore:
            config.loaderMode = true;
            bench->printer(2, config).setReplyOverride(kCan, kCan + "x");
            break;
        case Setup::TwoByteStatus:
            config.speed = 115200;
            faults.onlyFor = kStatus;
            faults.extraBytes = "x";
            bench->printer(2, config).setFaults(faults);
            break;
        case Setup::BusyPort:
            bench->holdBusy(2);
            break;
        case Setup::SilentToIdentification:
            faults.silentFrom = kIdentify;
            bench->printer(2, config).setFaults(faults);
            break;
        }
        Step1& step1 = shownStep1(*bench);
        StatusLog log;
        log.watch(bench->wizard());
        step1.Start->click();

        QCOMPARE(log.texts.last(), lastText);
        if (!texts.isEmpty()) QCOMPARE(log.texts, texts);
        if (Sim::SimulatedPrinter* printer = bench->printerAt(2)) QCOMPARE(heard(*printer), heardOn2);
        QVERIFY(!bench->wizard().state().PrinterFound);
        QVERIFY(bench->boxes().seen().empty());
        QVERIFY(!bench->ended() && step1.isVisible());
        QVERIFY(showsNotFound(step1));
        QCOMPARE(busyParts(*bench), QString());
    }

    void firmwareLoaderEndsTheProgram() {
        Sim::PrinterConfig config;
        config.loaderMode = true;
        Sim::SimulatedPrinter& printer = bench->printer(2, config);
        Step1& step1 = shownStep1(*bench);
        step1.Start->click();

        QVERIFY(bench->ended());
        QCOMPARE(bench->boxes().texts(), QStringList{kLoaderText});
        QCOMPARE(bench->boxes().seen().front().icon, QMessageBox::Critical);
        QCOMPARE(bench->boxes().seen().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!bench->wizard().loadedStep2() && !step1.isVisible());
        QVERIFY(!bench->wizard().link().comm().portOpen());
        QCOMPARE(heard(printer), (QStringList{line(kNul, 57600), line(kCan, 57600)}));
    }
};

QTEST_MAIN(TstAutodetect)
#include "tst_autodetect.moc"
