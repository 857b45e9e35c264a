// Manual detection on the port selection page against simulated printers: the page at load, the probe's
// texts and the flow control it learns, ports that cannot be used, and the ways off the page.
#include "detectionsteps.h"

#include <QComboBox>
#include <QFileInfo>
#include <QRadioButton>
#include <QTest>

using namespace DetectionSteps;

namespace {
const QString kNotYet = QStringLiteral("No printer found yet, please start detection.");
const QString kNone3 = QStringLiteral("No printer found on COM 3 at 9600 bauds");

enum class Port { NotChosen, Gone, Busy, Vanishes };

QStringList items(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}
} // namespace
Q_DECLARE_METATYPE(Port)

class TstPortSelection : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;

    PortSelection& page() { return bench->wizard().portSelection(); }
    QRadioButton* option(int n) { return page().findChild<QRadioButton*>(QStringLiteral("COM%1").arg(n)); }
    // The technician's way in: Step1, then Manual Detection.
    PortSelection& openPage() {
        shownStep1(*bench).ManualDetect->click();
        return page();
    }
    void detect(int port, const QString& speed, int handshakeIndex) {
        option(port)->setChecked(true);
        page().serialspeed->setCurrentText(speed);
        page().serialhandshakeconf->setCurrentIndex(handshakeIndex);
        page().DetectSerialPrinter->click();
    }
    Sim::SimulatedPrinter& printer(int port, int speed) {
        Sim::PrinterConfig config;
        config.speed = speed;
        return bench->printer(port, config);
    }
    // Runs `action` from the event loop once the printer has heard the identification request.
    void whenIdentifying(Sim::SimulatedPrinter& printer, std::function<void()> action) {
        connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer,
                [action](const Sim::TranscriptEntry& e) {
                    if (e.bytes == kIdentify) QTimer::singleShot(0, action);
                });
    }

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() { bench.reset(); }

    void formLoad() {
        bench->printer(2);
        PortSelection& selection = openPage();
        QCOMPARE(items(selection.serialspeed), Protocol::speeds());
        QCOMPARE(items(selection.serialhandshakeconf), (QStringList{"Xon-Xoff", "DSR/DTR Mode"}));
        QCOMPARE(selection.serialspeed->currentText(), QStringLiteral("9600"));
        QCOMPARE(selection.serialhandshakeconf->currentText(), QStringLiteral("DSR/DTR Mode"));
        QCOMPARE(selection.DetectedPrinter->text(), kNotYet);
        for (int n = 1; n <= 6; ++n)
            QVERIFY(option(n)->isEnabled() == (n == 2) && !option(n)->isChecked());
        // Each number tells its device, for the mouse and for a screen reader.
        QCOMPARE(option(2)->toolTip(), QFileInfo(bench->ports().path() + "/COM2").canonicalFilePath());
        QCOMPARE(option(1)->accessibleDescription(), QStringLiteral("No device has the number COM1"));
        QVERIFY(!selection.Next->isEnabled());
        QVERIFY(selection.WebBrowser->currentPath().endsWith(QLatin1String("/Step1bis.html")));
    }

    // A port that cannot be probed: one critical box, the page usable, nothing left open.
    void refused_data() {
        QTest::addColumn<Port>("port");
        QTest::addColumn<QString>("box"); // ending in ": " the reason follows
        QTest::addColumn<QString>("status");
        QTest::newRow("no port chosen") << Port::NotChosen << "You must select a serial port" << kNotYet;
        QTest::newRow("port gone since the page loaded")
            << Port::Gone << "This port does not exist" << kNotYet;
        const QString unusable = QStringLiteral("The serial port COM3 cannot be used: ");
        QTest::newRow("held by another program") << Port::Busy << unusable << kNone3;
        QTest::newRow("vanishes during the probe") << Port::Vanishes << unusable << kNone3;
    }
    void refused() {
        QFETCH(Port, port);
        QFETCH(QString, box);
        QFETCH(QString, status);
        if (port == Port::Busy) bench->holdBusy(3);
        Sim::SimulatedPrinter* sim = port == Port::Busy ? nullptr : &bench->printer(3);
        if (port == Port::Vanishes) whenIdentifying(*sim, [sim] { sim->vanish(); });
        PortSelection& selection = openPage();
        if (port == Port::Gone) sim->vanish();
        if (port == Port::NotChosen)
            selection.DetectSerialPrinter->click();
        else
            detect(3, QStringLiteral("9600"), 1);

        QCOMPARE(bench->boxes().seen().size(), size_t(1));
        QCOMPARE(bench->boxes().seen().front().icon, QMessageBox::Critical);
        QCOMPARE(bench->boxes().seen().front().title, QStringLiteral("Veltaro 1.0"));
        const QString text = bench->boxes().texts().front();
        QVERIFY2(box.endsWith(": ") ? text.startsWith(box) : text == box, qPrintable(text));
        if (port == Port::NotChosen || port == Port::Gone) QVERIFY(sim->transcript().isEmpty());
        QCOMPARE(selection.DetectedPrinter->text(), status);
        QVERIFY(!bench->wizard().state().PrinterFound && !selection.Next->isEnabled());
        QVERIFY(!bench->ended());
        QCOMPARE(busyParts(*bench), QString());
    }

    void probeTexts_data() {
        QTest::addColumn<int>("printerSpeed");
        QTest::addColumn<QByteArray>("identification");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box"); // empty: no printer, no box
        QTest::newRow("no answer at another speed") << 19200 << QByteArray("SIM-80") << kNone3 << "";
        QTest::newRow("answer") << 9600 << QByteArray("SIM-80 Receipt  ")
                                << "SIM-80 Receipt found on COM 3 at 9600 bauds"
                                << "SIM-80 Receipt found on COM 3 at  9600 bauds";
        QTest::newRow("thirty characters: sixteen, trimmed")
            << 9600 << QByteArray("  Printer Model 80 with cutter")
            << "Printer Model found on COM 3 at 9600 bauds"
            << "Printer Model found on COM 3 at  9600 bauds";
        QTest::newRow("only blanks: an answer without a name")
            << 9600 << QByteArray("    ") << " found on COM 3 at 9600 bauds"
            << " found on COM 3 at  9600 bauds";
    }
    void probeTexts() {
        QFETCH(int, printerSpeed);
        QFETCH(QByteArray, identification);
        QFETCH(QString, status);
        QFETCH(QString, box);
        Sim::PrinterConfig config;
        config.speed = printerSpeed;
        config.identification = identification;
        Sim::SimulatedPrinter& sim = bench->printer(3, config);
        PortSelection& selection = openPage();
        detect(3, QStringLiteral("9600"), PortSelection::HardwareEntry);

        const bool found = !box.isEmpty();
        QCOMPARE(selection.DetectedPrinter->text(), status);
        QCOMPARE(bench->boxes().texts(), found ? QStringList{box} : QStringList{});
        if (found) QCOMPARE(bench->boxes().seen().front().icon, QMessageBox::Information);
        QCOMPARE(bench->wizard().state().PrinterFound, found);
        QCOMPARE(selection.Next->isEnabled(), found);
        QStringList expected{line(kIdentify, 9600, true)};
        if (found)
            expected << line(kStatus, 9600, true) << line(kConfiguration, 9600, true)
                     << line(kCan, 9600, true);
        QCOMPARE(heard(sim), expected);
        QCOMPARE(busyParts(*bench), QString());
    }

    // The byte-by-byte reading of the configuration is the protocol's; here, that the page learns it.
    void flowControlLearnt_data() {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("handshakeIndex"); // asked for: the exchange runs with it
        QTest::addColumn<bool>("replaceConfiguration");
        QTest::addColumn<QByteArray>("configuration");
        QTest::addColumn<int>("handshake"); // learnt
        QTest::newRow("printer's own byte at 9600") << "9600" << 1 << false << QByteArray() << 1;
        QTest::newRow("57600, byte 06, asked for hardware flow")
            << "57600" << 0 << true << QByteArray(1, 0x06) << 1;
        QTest::newRow("57600, byte 86") << "57600" << 0 << true << QByteArray(1, char(0x86)) << 2;
        QTest::newRow("57600, byte 05: another speed's code")
            << "57600" << 1 << true << QByteArray(1, 0x05) << 2;
        QTest::newRow("no configuration byte") << "9600" << 0 << true << QByteArray() << 2;
    }
    void flowControlLearnt() {
        QFETCH(QString, speed);
        QFETCH(int, handshakeIndex);
        QFETCH(bool, replaceConfiguration);
        QFETCH(QByteArray, configuration);
        QFETCH(int, handshake);
        Sim::SimulatedPrinter& sim = printer(4, speed.toInt());
        if (replaceConfiguration) sim.setReplyOverride(kConfiguration, configuration);
        PortSelection& selection = openPage();
        detect(4, speed, handshakeIndex);

        const SharedState& state = bench->wizard().state();
        QVERIFY(state.PrinterFound);
        QCOMPARE(int(state.PrinterPort), 4);
        QCOMPARE(state.PrinterSpeed, speed);
        QCOMPARE(int(state.PrinterHandshake), handshake);
        QCOMPARE(selection.serialhandshakeconf->currentText(), handshake == 1 ? "Xon-Xoff" : "DSR/DTR Mode");
        QCOMPARE(heard(sim).first(), line(kIdentify, speed.toInt(), handshakeIndex == 1));
    }

    void nextStaysEnabledAfterALaterFailure() {
        bench->printer(1);
        printer(2, 19200);
        PortSelection& selection = openPage();
        detect(1, QStringLiteral("9600"), 1);
        detect(2, QStringLiteral("9600"), 1);
        QCOMPARE(selection.DetectedPrinter->text(),
                 QStringLiteral("No printer found on COM 2 at 9600 bauds"));
        QVERIFY(selection.Next->isEnabled());
        QVERIFY(!bench->wizard().state().PrinterFound);
        QCOMPARE(int(bench->wizard().state().PrinterPort), 1);
        QCOMPARE(bench->boxes().texts().size(), 1);
    }

    // Each way off the page, idle or in the middle of a probe (the probe then ends without a word).
    void leave_data() {
        QTest::addColumn<QString>("button"); // empty: the close box
        QTest::addColumn<bool>("midProbe");
        QTest::newRow("back") << "Back" << false;
        QTest::newRow("next") << "Next" << false;
        QTest::newRow("exit") << "Exit" << false;
        QTest::newRow("close box") << "" << false;
        QTest::newRow("back during the probe") << "Back" << true;
        QTest::newRow("exit during the probe") << "Exit" << true;
    }
    void leave() {
        QFETCH(QString, button);
        QFETCH(bool, midProbe);
        Sim::SimulatedPrinter& sim = bench->printer(1);
        PortSelection& selection = openPage();
        Step1& step1 = bench->wizard().step1();
        step1.ScanStatus->setText(QStringLiteral("left over"));
        const auto leave = [&] {
            if (button.isEmpty())
                selection.close();
            else
                selection.findChild<QPushButton*>(button)->click();
        };
        if (midProbe) {
            whenIdentifying(sim, leave);
            detect(1, QStringLiteral("9600"), 1);
        } else {
            selection.Next->setEnabled(true); // as after a printer was found
            leave();
        }
        const bool ends = button.isEmpty() || button == QLatin1String("Exit");
        QCOMPARE(bench->ended(), ends);
        QVERIFY(!selection.isVisible());
        QCOMPARE(step1.isVisible(), button == QLatin1String("Back"));
        if (button == QLatin1String("Back")) QCOMPARE(step1.ScanStatus->text(), QString());
        Step2* step2 = bench->wizard().loadedStep2();
        QCOMPARE(step2 && step2->isVisible(), button == QLatin1String("Next"));
        if (!midProbe) return;
        QVERIFY(bench->boxes().seen().empty());
        QVERIFY(!bench->wizard().state().PrinterFound);
        QVERIFY(!bench->wizard().link().comm().portOpen());
        QCOMPARE(selection.DetectedPrinter->text(), kNotYet);
        QTest::qWait(300);
        QCOMPARE(heard(sim), QStringList{line(kIdentify, 9600, true)});
        if (!ends) QCOMPARE(busyParts(*bench), QString()); // Step1 can start a search at once
    }
};

QTEST_MAIN(TstPortSelection)
#include "tst_portselection.moc"
