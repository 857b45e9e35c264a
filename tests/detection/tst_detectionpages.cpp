// The detection page and the port selection page as the technician sees them: the pages at load, the
// status line copied to Step1, the boxes with their exact texts, Step1 after a search that found nothing,
// and the ways off a page while a search or probe waits. What the search and the probe send, say and
// learn is the detector's test.
#include "support/sensorsteps.h"

#include "detection/portselection.h"
#include "detection/step1.h"
#include "shell/helppane.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QtTest>

namespace {
const QString kNotYet = QStringLiteral("No printer found yet, please start detection.");
QString scanAt(int speed) {
    return QStringLiteral("Attempting to contact printer on COM 2 at %1 bauds.").arg(speed);
}
} // namespace

class TstDetectionPages : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;

    Step1& step1() { return bench->wizard().step1(); }
    PortSelection& selection() { return bench->wizard().portSelection(); }
    QRadioButton* option(int n) {
        return selection().findChild<QRadioButton*>(QStringLiteral("COM%1").arg(n));
    }
    // Both pages ready for the next click: buttons enabled, no hourglass, the port closed.
    bool idle() {
        return step1().Start->isEnabled() && step1().Exit->isEnabled() && step1().ManualDetect->isEnabled() &&
               selection().DetectSerialPrinter->isEnabled() && step1().cursor().shape() != Qt::WaitCursor &&
               selection().cursor().shape() != Qt::WaitCursor && !bench->wizard().link().comm().portOpen() &&
               !bench->wizard().state().PortIsOpen;
    }
    // A button of the page that shows it, or "close": Step1's close box.
    void click(const QString& name) {
        QPushButton* button = step1().findChild<QPushButton*>(name);
        if (name == "close") return void(step1().close());
        (button && button->isVisible() ? button : selection().findChild<QPushButton*>(name))->click();
    }
    void detect(int port, int handshakeIndex) {
        option(port)->setChecked(true);
        selection().serialhandshakeconf->setCurrentIndex(handshakeIndex);
        selection().DetectSerialPrinter->click();
    }

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() { bench.reset(); }

    void pagesAtLoad() {
        bench->printer(2);
        const QString url = QStringLiteral("rfc2217://[::1]:2000"); // exists while its entry does
        bench->ports().setRemote(4, url);
        step1().show();
        QVERIFY(step1().ScanStatus->text().isEmpty() && step1().Start->text() == "Start" &&
                step1().ManualDetect->isHidden() && !bench->wizard().state().PortIsOpen);
        QVERIFY(step1().Exit->x() == Layout::toPixels(920) && step1().Start->x() == Layout::toPixels(2920));
        QCOMPARE(selection().DetectedPrinter->text(), kNotYet);
        QCOMPARE(step1().ScanStatus->text(), kNotYet); // loaded while Step1 shows: its first text is copied
        QCOMPARE(selection().serialspeed->currentText() + "/" +
                     selection().serialhandshakeconf->currentText(),
                 QStringLiteral("9600/DSR/DTR Mode"));
        for (int n = 1; n <= 6; ++n)
            QVERIFY(option(n)->isEnabled() == (n == 2 || n == 4) && !option(n)->isChecked() &&
                    !selection().Next->isEnabled());
        // Each number tells its device, for the mouse and for a screen reader.
        QCOMPARE(option(2)->toolTip(), QFileInfo(bench->ports().path() + "/COM2").canonicalFilePath());
        QCOMPARE(option(1)->accessibleDescription(), QStringLiteral("No device has the number COM1"));
        QVERIFY(option(4)->toolTip() == url && option(4)->accessibleDescription() == url);
    }

    void search_data() {
        QTest::addColumn<int>("printer"); // its speed; 0: no printer; 1: one stuck in its firmware loader
        QTest::addColumn<QStringList>("clicks"); // "status text|button": 40 ms after the text shows
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("status"); // Step1's at the end
        QTest::addColumn<QString>("last");   // the last command the printer heard
        QTest::addColumn<bool>("remote");    // the printer is behind ser2net
        const QString found = QStringLiteral("SIM-80 Receipt found on COM 2 at 19200 bauds"), none;
        const QStringList box{"SIM-80 Receipt found on COM 2 at  19200 bauds"}, noBox;
        const QString manual = scanAt(115200) + "|ManualDetect";
        QTest::newRow("found") << 19200 << noBox << QStringList{"Step2"} << box << found << "18 @19200 hw"
                               << false;
        QTest::newRow("nothing found")
            << 0 << noBox << QStringList{"Step1"} << noBox << none << none << false;
        QTest::newRow("firmware loader")
            << 1 << noBox << noBox
            << QStringList{"The previous firmware upgrade has not been completed \r\nsuccessfully, or the "
                           "firmware has "
                           "been corrupted.\r\n\r\nPlease, flash the printer firmware."}
            << none << "18 @57600" << false;
        // One page drives the port at a time: the port selection page is not offered until the search ends.
        QTest::newRow("manual detection is not offered while it runs")
            << 19200 << QStringList{manual} << QStringList{"Step2"} << box << found << "18 @19200 hw"
            << false;
        QTest::newRow("closed in the pause after the wake-up")
            << 19200 << QStringList{"Trying to wake-up the printer|close"} << noBox << noBox << none
            << "00 @57600" << false;
        QTest::newRow("closed during the speed scan") << 19200 << QStringList{scanAt(38400) + "|close"}
                                                      << noBox << noBox << none << "1b 76 @38400" << false;
        QTest::newRow("closed during the speed scan through ser2net")
            << 19200 << QStringList{scanAt(38400) + "|close"} << noBox << noBox << none << "1b 76 @38400"
            << true;
    }
    void search() {
        QFETCH(int, printer);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, boxes);
        QFETCH(QString, status);
        QFETCH(QString, last);
        QFETCH(bool, remote);
        step1().show();
        const bool again = clicks.join(' ').contains("ManualDetect"); // only offered once a search failed
        if (again) step1().Start->click();
        const Sim::PrinterConfig config{.speed = qMax(printer, 9600), .loaderMode = printer == 1};
        if (remote)
            VERIFY_SER2NET(bench->remotePrinter(2, config));
        else if (printer)
            bench->printer(2, config);
        selection().Next->setEnabled(true); // as after an earlier probe that found the printer
        QStringList texts, onStep1; // what the status line showed while Step1 was there, and Step1's copy
        bool busy = true;
        QObject scope; // the watch ends with this test function
        connect(&selection(), &PortSelection::detectedPrinterChanged, &scope, [&](const QString& text) {
            for (const QString& c : clicks)
                if (c.startsWith(text + "|"))
                    QTimer::singleShot(40, this, [this, c] { click(c.section('|', 1)); });
            if (!step1().isVisible()) return;
            texts << text;
            onStep1 << step1().ScanStatus->text();
            busy = busy && (texts.size() > 1 || !step1().Start->isEnabled());
        });
        step1().Start->click();

        QVERIFY(onStep1 == texts && busy);
        QVERIFY(bench->shownPages() == shown && bench->ended() == shown.isEmpty());
        QTest::qWait(300); // the search does not go on
        QCOMPARE(bench->heard(2).value(bench->heard(2).size() - 1), last);
        QCOMPARE(bench->boxes().texts(), boxes);
        if (!boxes.isEmpty())
            QCOMPARE(bench->boxes().seen().front().icon,
                     printer == 1 ? QMessageBox::Critical : QMessageBox::Information);
        if (boxes.value(0).contains(" found "))
            QVERIFY(option(2)->isChecked() && selection().serialspeed->currentText() == "19200" &&
                    selection().serialhandshakeconf->currentText() == "Xon-Xoff");
        if (shown.isEmpty()) {
            QVERIFY(!step1().Start->isEnabled() && !bench->wizard().loadedStep2() &&
                    !bench->wizard().link().comm().portOpen());
            return;
        }
        // Step1 after a search that found nothing: three buttons, "Search again", its help page.
        QCOMPARE(step1().Start->text() == "Search again" && step1().ManualDetect->isVisibleTo(&step1()) &&
                     step1().Start->x() == Layout::toPixels(3720) &&
                     step1().WebBrowser->currentPath().endsWith("/Step1NotFound.html"),
                 again || boxes.isEmpty());
        QVERIFY(step1().ScanStatus->text() == status && idle());
    }

    // A probe on the port selection page, and each way off the page, idle or in the middle of a probe
    // (which then ends without a word, so that Step1 can start a search at once).
    void probe_data() {
        QTest::addColumn<int>("printer"); // its speed, negative with hardware flow; 0: the port has gone
        QTest::addColumn<int>("handshakeIndex"); // asked for; -1: no port chosen; -2: no probe
        QTest::addColumn<QString>("leave");      // clicked while the printer is asked; "close": the close box
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("handshake"); // the list's choice after the probe
        QTest::addColumn<int>("heard");     // commands, by the printer on COM3
        const QString found = QStringLiteral("SIM-80 Receipt found on COM 3 at 9600 bauds"), none;
        const QString box = QStringLiteral("SIM-80 Receipt found on COM 3 at  9600 bauds");
        const QStringList here{"PortSelection"}, step1{"Step1"}, step2{"Step2"}, ended;
        QTest::newRow("no port chosen")
            << 9600 << -1 << none << here << kNotYet << "You must select a serial port" << 2 << 0;
        QTest::newRow("port gone since the page loaded")
            << 0 << 1 << none << here << kNotYet << "This port does not exist" << 2 << 0;
        QTest::newRow("answer, XON/XOFF learnt") << 9600 << 1 << none << here << found << box << 1 << 4;
        QTest::newRow("answer, hardware flow learnt") << -9600 << 0 << none << here << found << box << 2 << 4;
        QTest::newRow("a later probe that finds nothing leaves Next")
            << 19200 << 1 << none << here << QString("No printer found on COM 3 at 9600 bauds")
            << "SIM-80 Receipt found on COM 1 at  9600 bauds" << 2 << 1;
        QTest::newRow("Back") << 9600 << -2 << "Back" << step1 << kNotYet << none << 2 << 0;
        QTest::newRow("Next") << 9600 << -2 << "Next" << step2 << kNotYet << none << 2 << 0;
        QTest::newRow("Back during the probe") << 9600 << 1 << "Back" << step1 << kNotYet << none << 2 << 1;
        QTest::newRow("Next during the probe") << 9600 << 1 << "Next" << step2 << kNotYet << none << 2 << 1;
        QTest::newRow("Exit during the probe") << 9600 << 1 << "Exit" << ended << kNotYet << none << 2 << 1;
        QTest::newRow("close box during the probe")
            << 9600 << 1 << "close" << ended << kNotYet << none << 2 << 1;
    }
    void probe() {
        QFETCH(int, printer);
        QFETCH(int, handshakeIndex);
        QFETCH(QString, leave);
        QFETCH(QStringList, shown);
        QFETCH(QString, status);
        QFETCH(QString, box);
        QFETCH(int, handshake);
        QFETCH(int, heard);
        Sim::SimulatedPrinter& sim =
            bench->printer(3, {.speed = printer ? qAbs(printer) : 9600, .hardwareFlow = printer < 0});
        if (printer == 19200) bench->printer(1);
        step1().show();
        step1().ManualDetect->click();
        step1().ScanStatus->setText(QStringLiteral("left over"));
        if (leave == "Next") selection().Next->setEnabled(true); // as after a printer was found
        if (printer == 0) sim.vanish();
        if (printer == 19200) detect(1, 1);
        const auto leaveNow = [&] { leave == "close" ? void(selection().close()) : click(leave); };
        if (!leave.isEmpty() && handshakeIndex >= 0) onCommand(sim, "\x1bI", leaveNow);
        if (handshakeIndex == -1) selection().DetectSerialPrinter->click();
        if (handshakeIndex == -2) leaveNow();
        if (handshakeIndex >= 0) detect(3, handshakeIndex);

        QCOMPARE(bench->boxes().texts(), box.isEmpty() ? QStringList() : QStringList{box});
        const bool found = box.contains(" found ");
        if (!box.isEmpty())
            QCOMPARE(bench->boxes().seen().front().icon,
                     found ? QMessageBox::Information : QMessageBox::Critical);
        QVERIFY(bench->shownPages() == shown && bench->ended() == shown.isEmpty());
        QCOMPARE(selection().DetectedPrinter->text(), status);
        QCOMPARE(selection().serialhandshakeconf->currentText(),
                 handshake == 1 ? "Xon-Xoff" : "DSR/DTR Mode");
        QVERIFY(selection().Next->isEnabled() == (found || leave == "Next") &&
                bench->wizard().state().PrinterFound == status.startsWith("SIM"));
        QCOMPARE(step1().ScanStatus->text(), leave == "Back" ? "" : "left over");
        QTest::qWait(300); // nothing more is asked
        QCOMPARE(bench->commandsHex(3).size(), heard);
        QVERIFY(shown.isEmpty() ? !bench->wizard().link().comm().portOpen() : idle());
    }
};

QTEST_MAIN(TstDetectionPages)
#include "tst_detectionpages.moc"
