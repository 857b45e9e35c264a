// Manual detection on the port selection page as the technician sees it: the page at load, what a probe
// shows and announces, ports that cannot be used, and the ways off the page, idle or mid-probe. What the
// probe sends and learns is the detector's test.
#include "detectionsteps.h"

#include <QFileInfo>

using namespace DetectionSteps;

namespace {
const QString kNotYet = QStringLiteral("No printer found yet, please start detection.");
const QString kNone3 = QStringLiteral("No printer found on COM 3 at 9600 bauds");
enum class Port { NotChosen, Gone, Busy, Vanishes, Printer, HardwarePrinter, Nameless, OtherSpeed };

QStringList items(const QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}
} // namespace

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
    void detect(int port, int handshakeIndex) {
        option(port)->setChecked(true);
        page().serialspeed->setCurrentText(QStringLiteral("9600"));
        page().serialhandshakeconf->setCurrentIndex(handshakeIndex);
        page().DetectSerialPrinter->click();
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
    }

    void probe_data() {
        QTest::addColumn<Port>("port");
        QTest::addColumn<int>("handshakeIndex"); // asked for
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box");       // none: no box; ending in ": " the system's reason follows
        QTest::addColumn<QString>("handshake"); // the list's choice after the probe
        const QString unusable = QStringLiteral("The serial port COM3 cannot be used: ");
        QTest::newRow("no port chosen") << Port::NotChosen << 1 << kNotYet << "You must select a serial port"
                                        << "DSR/DTR Mode";
        QTest::newRow("port gone since the page loaded")
            << Port::Gone << 1 << kNotYet << "This port does not exist"
            << "DSR/DTR Mode";
        QTest::newRow("held by another program") << Port::Busy << 1 << kNone3 << unusable << "DSR/DTR Mode";
        QTest::newRow("vanishes during the probe")
            << Port::Vanishes << 1 << kNone3 << unusable << "DSR/DTR Mode";
        QTest::newRow("no answer") << Port::OtherSpeed << 1 << kNone3 << ""
                                   << "DSR/DTR Mode";
        QTest::newRow("answer, XON/XOFF learnt")
            << Port::Printer << 1 << "SIM-80 Receipt found on COM 3 at 9600 bauds"
            << "SIM-80 Receipt found on COM 3 at  9600 bauds"
            << "Xon-Xoff";
        QTest::newRow("answer, hardware flow learnt")
            << Port::HardwarePrinter << 0 << "SIM-80 Receipt found on COM 3 at 9600 bauds"
            << "SIM-80 Receipt found on COM 3 at  9600 bauds"
            << "DSR/DTR Mode";
        QTest::newRow("answer without a name") << Port::Nameless << 1 << " found on COM 3 at 9600 bauds"
                                               << " found on COM 3 at  9600 bauds"
                                               << "Xon-Xoff";
    }
    void probe() {
        QFETCH(Port, port);
        QFETCH(int, handshakeIndex);
        QFETCH(QString, status);
        QFETCH(QString, box);
        QFETCH(QString, handshake);
        if (port == Port::Busy) bench->holdBusy(3);
        Sim::SimulatedPrinter* printer =
            port == Port::Busy
                ? nullptr
                : &bench->printer(3, {.speed = port == Port::OtherSpeed ? 19200 : 9600,
                                      .hardwareFlow = port == Port::HardwarePrinter,
                                      .identification = port == Port::Nameless ? "  " : "SIM-80 Receipt"});
        if (port == Port::Vanishes) onCommand(*printer, "\x1bI", [printer] { printer->vanish(); });
        PortSelection& selection = openPage();
        if (port == Port::Gone) printer->vanish();
        if (port == Port::NotChosen)
            selection.DetectSerialPrinter->click();
        else
            detect(3, handshakeIndex);

        const bool found = box.contains(" found ");
        QCOMPARE(bench->boxes().seen().size(), size_t(!box.isEmpty()));
        if (!box.isEmpty()) {
            const MessageBoxes::Seen& seen = bench->boxes().seen().front();
            QVERIFY2(box.endsWith(": ") ? seen.text.startsWith(box) : seen.text == box,
                     qPrintable(seen.text));
            QCOMPARE(seen.icon, found ? QMessageBox::Information : QMessageBox::Critical);
            QCOMPARE(seen.title, QStringLiteral("Veltaro 1.0"));
        }
        if (port == Port::NotChosen || port == Port::Gone) QVERIFY(printer->transcript().isEmpty());
        QCOMPARE(selection.DetectedPrinter->text(), status);
        QCOMPARE(selection.serialhandshakeconf->currentText(), handshake);
        QCOMPARE(selection.Next->isEnabled(), found);
        QVERIFY(!bench->ended());
        QCOMPARE(busyParts(*bench), QString());
    }

    // Next, once offered, stays: a later probe that finds nothing does not take it back.
    void nextStaysAfterALaterFailure() {
        bench->printer(1);
        bench->printer(2, {.speed = 19200});
        PortSelection& selection = openPage();
        detect(1, 1);
        detect(2, 1);
        QCOMPARE(selection.DetectedPrinter->text(),
                 QStringLiteral("No printer found on COM 2 at 9600 bauds"));
        QVERIFY(selection.Next->isEnabled() && !bench->wizard().state().PrinterFound);
        QCOMPARE(int(bench->wizard().state().PrinterPort), 1);
        QCOMPARE(bench->boxes().texts().size(), 1);
    }

    // Each way off the page, idle or in the middle of a probe (the probe then ends without a word).
    void leave_data() {
        QTest::addColumn<QString>("button"); // empty: the close box
        QTest::addColumn<bool>("midProbe");
        QTest::newRow("back") << "Back" << false;
        QTest::newRow("next") << "Next" << false;
        QTest::newRow("back during the probe") << "Back" << true;
        QTest::newRow("next during the probe") << "Next" << true;
        QTest::newRow("exit during the probe") << "Exit" << true;
        QTest::newRow("close box during the probe") << "" << true;
    }
    void leave() {
        QFETCH(QString, button);
        QFETCH(bool, midProbe);
        Sim::SimulatedPrinter& printer = bench->printer(1);
        PortSelection& selection = openPage();
        Step1& step1 = bench->wizard().step1();
        step1.ScanStatus->setText(QStringLiteral("left over"));
        selection.Next->setEnabled(true); // as after a printer was found
        const auto leave = [&] {
            if (button.isEmpty())
                selection.close();
            else
                selection.findChild<QPushButton*>(button)->click();
        };
        if (midProbe) {
            onCommand(printer, "\x1bI", leave);
            detect(1, 1);
        } else {
            leave();
        }
        const bool ends = button.isEmpty() || button == QLatin1String("Exit");
        QCOMPARE(bench->ended(), ends);
        const QStringList shown{button == "Back" ? "Step1" : "Step2"};
        QCOMPARE(bench->shownPages(), ends ? QStringList{} : shown);
        if (button == QLatin1String("Back")) QCOMPARE(step1.ScanStatus->text(), QString());
        QVERIFY(bench->boxes().seen().empty());
        QVERIFY(!bench->wizard().state().PrinterFound && !bench->wizard().link().comm().portOpen());
        QCOMPARE(selection.DetectedPrinter->text(), kNotYet);
        QTest::qWait(300);
        QCOMPARE(bench->commandsHex(1), midProbe ? QStringList{"1b 49"} : QStringList{});
        if (!ends) QCOMPARE(busyParts(*bench), QString()); // Step1 can start a search at once
    }
};

QTEST_MAIN(TstPortSelection)
#include "tst_portselection.moc"
