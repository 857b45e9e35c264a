// The automatic search when the technician does something while it runs: Manual Detection during a
// repeated search, Back or Next on the port selection page, or the detection page's close box.
#include "detectionsteps.h"

#include <QComboBox>
#include <QRadioButton>
#include <QTest>

using namespace DetectionSteps;

namespace {
enum class During { Nothing, ManualDetect, ManualDetectThenBack };

QString scanAt(int speed) {
    return QStringLiteral("Attempting to contact printer on COM 2 at %1 bauds.").arg(speed);
}
const QString kFound = QStringLiteral("SIM-80 Receipt found on COM 2 at 19200 bauds");
} // namespace
Q_DECLARE_METATYPE(During)

class TstSearchInterrupted : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> bench;

    Sim::SimulatedPrinter& printerAt(int speed) {
        Sim::PrinterConfig config;
        config.speed = speed;
        return bench->printer(2, config);
    }

private slots:
    void init() { bench = std::make_unique<Bench>(); }
    void cleanup() { bench.reset(); }

    void repeatedSearch_data() {
        QTest::addColumn<During>("during");
        QTest::newRow("search again finds the printer") << During::Nothing;
        QTest::newRow("manual detection while it runs") << During::ManualDetect;
        QTest::newRow("manual detection, then back to the search") << During::ManualDetectThenBack;
    }
    void repeatedSearch() {
        QFETCH(During, during);
        Wizard& wizard = bench->wizard();
        Step1& step1 = shownStep1(*bench);
        step1.Start->click(); // no port yet: the page offers a second search and manual detection
        QVERIFY(showsNotFound(step1));
        Sim::SimulatedPrinter& printer = printerAt(19200);
        PortSelection& selection = wizard.portSelection();
        if (during != During::Nothing)
            whenStatus(wizard, scanAt(115200), [&] { step1.ManualDetect->click(); });
        if (during == During::ManualDetectThenBack)
            whenStatus(wizard, scanAt(38400), [&] { selection.Back->click(); });
        step1.Start->click();

        QVERIFY(wizard.state().PrinterFound && wizard.loadedStep2()->isVisible() && step1.isHidden());
        QCOMPARE(selection.isVisible(), during == During::ManualDetect);
        // Step1 keeps what the first search left, and its status line what it was last given.
        QCOMPARE(step1.Start->text(), QStringLiteral("Search again"));
        QVERIFY(!step1.ManualDetect->isHidden());
        QVERIFY(step1.WebBrowser->currentPath().endsWith(QLatin1String("/Step1NotFound.html")));
        QCOMPARE(step1.ScanStatus->text(), during == During::ManualDetect ? scanAt(115200) : kFound);
        QCOMPARE(selection.DetectedPrinter->text(), kFound);
        QCOMPARE(bench->boxes().texts().size(), 1);
        QCOMPARE(busyParts(*bench), QString());
        QCOMPARE(heard(printer), searchedDownTo(19200) + presenceAndProbe(19200));
    }

    void nextGivesUpTheSearch() {
        Wizard& wizard = bench->wizard();
        Sim::SimulatedPrinter& printer = printerAt(19200);
        Step1& step1 = shownStep1(*bench);
        PortSelection& selection = wizard.portSelection(); // loaded while COM2 is there
        printer.vanish();
        step1.Start->click();
        QVERIFY(printer.reappear());

        // A manual probe finds the printer, so that Next is offered; then the technician searches again.
        step1.ManualDetect->click();
        selection.findChild<QRadioButton*>(QStringLiteral("COM2"))->setChecked(true);
        selection.serialspeed->setCurrentText(QStringLiteral("19200"));
        selection.DetectSerialPrinter->click();
        QVERIFY(selection.Next->isEnabled());
        selection.Back->click();
        printer.clearTranscript();
        whenStatus(wizard, scanAt(115200), [&] { step1.ManualDetect->click(); });
        whenStatus(wizard, scanAt(57600), [&] { selection.Next->click(); });
        step1.Start->click();

        QVERIFY(wizard.loadedStep2()->isVisible() && selection.isHidden() && step1.isHidden());
        QCOMPARE(heard(printer), searchedDownTo(57600));
        QVERIFY(!wizard.state().PrinterFound);
        // The link settings are still those of the manual probe.
        QCOMPARE(int(wizard.state().PrinterPort), 2);
        QCOMPARE(wizard.state().PrinterSpeed, QStringLiteral("19200"));
        QVERIFY(showsNotFound(step1));
        QCOMPARE(busyParts(*bench), QString());
        QCOMPARE(bench->boxes().texts().size(), 1);
    }

    void closedDuringSearch_data() {
        QTest::addColumn<QString>("when");
        QTest::addColumn<QStringList>("heardBefore");
        QTest::newRow("pause after the wake-up")
            << QStringLiteral("Trying to wake-up the printer") << QStringList{line(kNul, 57600)};
        QTest::newRow("speed scan") << scanAt(38400) << searchedDownTo(38400);
    }
    void closedDuringSearch() {
        QFETCH(QString, when);
        QFETCH(QStringList, heardBefore);
        Sim::SimulatedPrinter& printer = printerAt(1200);
        Step1& step1 = shownStep1(*bench);
        whenStatus(bench->wizard(), when, [&] { step1.close(); });
        step1.Start->click();

        QVERIFY(bench->ended() && bench->boxes().seen().empty() && !bench->wizard().loadedStep2());
        QVERIFY(!bench->wizard().link().comm().portOpen());
        QTest::qWait(300);
        QCOMPARE(heard(printer), heardBefore);
        QCOMPARE(bench->wizard().portSelection().DetectedPrinter->text(), when);
        QVERIFY(!step1.Start->isEnabled());
    }
};

QTEST_MAIN(TstSearchInterrupted)
#include "tst_searchinterrupted.moc"
