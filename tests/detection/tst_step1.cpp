// The detection page and its automatic search as the technician sees them: the page at load, the status
// line, the box that announces the printer and the hand-over, the page after a search that found
// nothing, the firmware-loader message, and clicks while the search runs. What the search sends and
// says is the detector's test.
#include "detectionsteps.h"

#include <QDir>

using namespace DetectionSteps;

namespace {
const QString kFound = QStringLiteral("SIM-80 Receipt found on COM 2 at 19200 bauds");
QString scanAt(int speed) {
    return QStringLiteral("Attempting to contact printer on COM 2 at %1 bauds.").arg(speed);
}
enum class During { Nothing, SearchAgain, ManualDetect, ManualDetectThenBack, NextOnSelection, Close };
} // namespace

class TstStep1 : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() { bench.reset(); }

    void formLoad_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("helpDir");
        const QString help = QDir::currentPath(); // the Bench runs in the help folder
        QTest::newRow("help folder") << help << help + "/";
        QTest::newRow("root folder: the separator goes on regardless") << "/"
                                                                       << "//";
    }
    void formLoad() {
        QFETCH(QString, folder);
        QFETCH(QString, helpDir);
        QDir::setCurrent(folder);
        Step1& page = shownStep1(*bench);
        const SharedState& state = bench->wizard().state();
        QCOMPARE(state.EscChar + state.GsChar + state.CanChar, QByteArray("\x1b\x1d\x18"));
        QVERIFY(!state.PortIsOpen && !page.Timer1->isActive());
        QCOMPARE(state.HelpDir, helpDir);
        QCOMPARE(page.WebBrowser->currentPath(), helpDir + "Step1.html");
        QCOMPARE(page.ScanStatus->text(), QString());
        QCOMPARE(page.Start->text(), QStringLiteral("Start"));
        QVERIFY(page.ManualDetect->isHidden());
        QCOMPARE(page.Exit->x(), Layout::toPixels(920));
        QCOMPARE(page.Start->x(), Layout::toPixels(2920));
        // The port selection page loads while Step1 shows: its first text reaches Step1 as well.
        bench->wizard().portSelection();
        QCOMPARE(page.ScanStatus->text(), QStringLiteral("No printer found yet, please start detection."));
    }

    void found() {
        bench->printer(2, {.speed = 19200, .hardwareFlow = true});
        Step1& step1 = shownStep1(*bench);
        PortSelection& selection = bench->wizard().portSelection();
        QStringList texts, onStep1; // every text of the status line, and Step1's at that moment
        connect(&selection, &PortSelection::detectedPrinterChanged, this, [&](const QString& text) {
            texts << text;
            onStep1 << step1.ScanStatus->text();
            if (texts.size() == 2) QVERIFY(!step1.Start->isEnabled() && !step1.Exit->isEnabled());
        });
        step1.Start->click();

        QCOMPARE(texts.size(), 8);
        QCOMPARE(texts.last(), kFound);
        QCOMPARE(onStep1, texts);
        QCOMPARE(bench->boxes().texts(), QStringList{"SIM-80 Receipt found on COM 2 at  19200 bauds"});
        QCOMPARE(bench->boxes().seen().front().icon, QMessageBox::Information);
        QCOMPARE(bench->boxes().seen().front().title, QStringLiteral("Veltaro 1.0"));
        QCOMPARE(selection.serialspeed->currentText(), QStringLiteral("19200"));
        QVERIFY(selection.findChild<QRadioButton*>(QStringLiteral("COM2"))->isChecked());
        QCOMPARE(selection.serialhandshakeconf->currentText(), QStringLiteral("DSR/DTR Mode"));
        QVERIFY(selection.Next->isEnabled());
        QCOMPARE(bench->shownPages(), QStringList{"Step2"});
        QCOMPARE(busyParts(*bench), QString());
    }

    void search_data() {
        QTest::addColumn<int>("printerSpeed"); // 0: no printer; 1: one stuck in its firmware loader
        QTest::addColumn<During>("during");
        QTest::addColumn<QString>("when"); // the status text at which it happens
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("status"); // Step1's status line at the end
        QTest::addColumn<QString>("last");   // the last command the printer heard
        const QString none;
        QTest::newRow("nothing found")
            << 0 << During::Nothing << none << QStringList{"Step1"} << none << none;
        QTest::newRow("firmware loader")
            << 1 << During::Nothing << none << QStringList{} << none << "18 @57600";
        QTest::newRow("search again finds the printer")
            << 19200 << During::SearchAgain << none << QStringList{"Step2"} << kFound << "18 @19200 hw";
        QTest::newRow("manual detection while it runs")
            << 19200 << During::ManualDetect << scanAt(115200) << QStringList{"PortSelection", "Step2"}
            << scanAt(115200) << "18 @19200 hw";
        QTest::newRow("manual detection, then back")
            << 19200 << During::ManualDetectThenBack << scanAt(115200) << QStringList{"Step2"} << kFound
            << "18 @19200 hw";
        QTest::newRow("next on the port selection page gives it up")
            << 19200 << During::NextOnSelection << scanAt(115200) << QStringList{"Step2"} << none
            << "1b 76 @57600";
        QTest::newRow("closed in the pause after the wake-up")
            << 19200 << During::Close << "Trying to wake-up the printer" << QStringList{} << none
            << "00 @57600";
        QTest::newRow("closed during the speed scan")
            << 19200 << During::Close << scanAt(38400) << QStringList{} << none << "1b 76 @38400";
    }
    void search() {
        QFETCH(int, printerSpeed);
        QFETCH(During, during);
        QFETCH(QString, when);
        QFETCH(QStringList, shown);
        QFETCH(QString, status);
        QFETCH(QString, last);
        Wizard& wizard = bench->wizard();
        Step1& step1 = shownStep1(*bench);
        PortSelection& selection = wizard.portSelection();
        if (during != During::Nothing && during != During::Close) {
            step1.Start->click(); // no port yet: the page offers a second search and manual detection
            QVERIFY(showsNotFound(step1));
        }
        if (printerSpeed)
            bench->printer(2, {.speed = qMax(printerSpeed, 9600), .loaderMode = printerSpeed == 1});
        if (during == During::NextOnSelection) selection.Next->setEnabled(true); // as after an earlier find
        if (during == During::Close)
            whenStatus(wizard, when, [&] { step1.close(); });
        else if (!when.isEmpty())
            whenStatus(wizard, when, [&] { step1.ManualDetect->click(); });
        if (during == During::ManualDetectThenBack)
            whenStatus(wizard, scanAt(38400), [&] { selection.Back->click(); });
        if (during == During::NextOnSelection)
            whenStatus(wizard, scanAt(57600), [&] { selection.Next->click(); });
        step1.Start->click();

        const bool ended = shown.isEmpty();
        QCOMPARE(bench->shownPages(), shown);
        QCOMPARE(bench->ended(), ended);
        QVERIFY(!wizard.link().comm().portOpen());
        QTest::qWait(300); // the search does not go on
        QCOMPARE(bench->heard(2).value(bench->heard(2).size() - 1), last);
        QCOMPARE(bench->boxes().seen().size(), size_t(wizard.state().PrinterFound));
        if (printerSpeed == 1) {
            const MessageBoxes::Seen& box = bench->boxes().seen().front();
            QCOMPARE(box.text,
                     "The previous firmware upgrade has not been completed \r\nsuccessfully, or the "
                     "firmware has been corrupted.\r\n\r\nPlease, flash the printer firmware.");
            QVERIFY(box.icon == QMessageBox::Critical && box.buttons == QMessageBox::Ok);
        }
        if (ended) {
            QVERIFY(!step1.Start->isEnabled() && !wizard.loadedStep2());
            return;
        }
        QVERIFY(offersSearchAgain(step1));
        QCOMPARE(step1.ScanStatus->text(), status);
        QCOMPARE(busyParts(*bench), QString());
    }
};

QTEST_MAIN(TstStep1)
#include "tst_step1.moc"
