// The page frame: what each close box does, unloading, ending the program, and the help window opened
// from the sensor and action page.
#include "support/bench.h"
#include "support/sensorsteps.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// A window of the frame's own, to watch the lifecycle without any printer work in its handlers.
class TestPage : public Page {
public:
    explicit TestPage(Wizard& wizard) : Page(wizard, table(), Lifetime::UnloadedWhenLeft) {}
    void Form_Unload() override {
        ++unloads;
        if (onUnload) onUnload();
    }
    int unloads = 0;
    std::function<void()> onUnload;

private:
    static const Layout::Window& table() {
        static const Layout::Window t{"TestPage",
                                      "Test page",
                                      Layout::WindowFrame::FixedSingle,
                                      3000,
                                      2000,
                                      true,
                                      "",
                                      {{"Exit", Layout::Kind::Button, "Exit", "", 120, 120, 1200, 495, 0}}};
        return t;
    }
};

// Loads the page as the wizard would and shows it.
Page* open(Wizard& w, const QString& name) {
    const QMap<QString, std::function<Page*()>> pages{
        {"Step1", [&]() -> Page* { return &w.step1(); }},
        {"PortSelection", [&]() -> Page* { return &w.portSelection(); }},
        {"Step2", [&]() -> Page* { return &w.step2(); }},
        {"ChanReflectModeFrm", [&]() -> Page* { return &w.chanReflectModeFrm(); }},
        {"Step3", [&]() -> Page* { return &w.step3(); }},
        {"MonitorFrm", [&]() -> Page* { return &w.monitorFrm(); }},
        {"PrintParam", [&]() -> Page* { return &w.printParam(); }},
        {"HelpFrm", [&]() -> Page* { return &w.helpFrm(); }},
        {"TestPage", [&]() -> Page* { return new TestPage(w); }},
    };
    Page* page = pages.value(name)();
    page->show();
    return page;
}

QList<QWidget*> visibleWindows() {
    QList<QWidget*> list;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) list << w;
    return list;
}

void click(Page& page, const char* name) {
    page.control<QPushButton>(name)->click();
}

} // namespace

class TstWizard : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_bench = std::make_unique<Bench>();
        SensorSteps::printerAtStep2(*m_bench);
    }
    void cleanup() { m_bench.reset(); }

    void closeBox_data();
    void closeBox();
    void closeBoxAndWaits_data();
    void closeBoxAndWaits();
    void unloadedPageOutlivesTheWait();
    void unloadedPageStaysUnloaded();
    void exitClosesEverything_data();
    void exitClosesEverything();
    void helpButton();
    void helpFileMissingThenReadAnew();

private:
    Wizard& wizard() { return m_bench->wizard(); }
    std::unique_ptr<Bench> m_bench;
};

void TstWizard::closeBox_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("backToStep2");
    QTest::newRow("Step1 ends the program") << "Step1" << true << false;
    QTest::newRow("PortSelection ends the program") << "PortSelection" << true << false;
    QTest::newRow("Step2 ends the program") << "Step2" << true << false;
    QTest::newRow("ChanReflectModeFrm ends the program") << "ChanReflectModeFrm" << true << false;
    QTest::newRow("Step3 goes back to Step2") << "Step3" << false << true;
    QTest::newRow("MonitorFrm goes back to Step2") << "MonitorFrm" << false << true;
    QTest::newRow("PrintParam closes the sheet") << "PrintParam" << false << false;
    QTest::newRow("HelpFrm closes the help") << "HelpFrm" << false << false;
}

void TstWizard::closeBox() {
    QFETCH(QString, window);
    QFETCH(bool, ends);
    QFETCH(bool, backToStep2);
    if (!ends) wizard().step2().hide();
    QPointer<Page> page = open(wizard(), window);
    page->close();

    QCOMPARE(m_bench->ended(), ends);
    if (ends) {
        QVERIFY(visibleWindows().isEmpty());
        return;
    }
    QVERIFY(!page->isVisible() && page->isUnloaded());
    QCOMPARE(wizard().step2().isVisible(), backToStep2);
    QTRY_VERIFY(page.isNull());
    QVERIFY(open(wizard(), window) != nullptr); // the next use loads a fresh window
}

void TstWizard::closeBoxAndWaits_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("cancels");
    QTest::newRow("a page unloaded when left: its waits end") << "TestPage" << true;
    QTest::newRow("Step3 is left: its waits end") << "Step3" << true;
    QTest::newRow("the help window goes, the wait goes on") << "HelpFrm" << false;
    QTest::newRow("the parameter sheet goes, the wait goes on") << "PrintParam" << false;
}

// The close box of a page is a way to leave it, like Back; the windows beside the pages are not.
void TstWizard::closeBoxAndWaits() {
    QFETCH(QString, window);
    QFETCH(bool, cancels);
    Page* page = open(wizard(), window);
    QTimer::singleShot(20, page, [page] { page->close(); });
    QCOMPARE(wizard().link().Delay(cancels ? 30000 : 200),
             cancels ? WaitResult::Cancelled : WaitResult::Done);
    QVERIFY(!m_bench->ended());
}

// A handler that waits for the printer may find its page unloaded when the wait ends; the page object
// must still be there for it to look at, and go once the wait is over.
void TstWizard::unloadedPageOutlivesTheWait() {
    QPointer<Page> page = open(wizard(), "TestPage");
    bool aliveInTheWait = false;
    QTimer::singleShot(20, page, [&] { wizard().unload(page); });
    QTimer::singleShot(120, [&] { aliveInTheWait = !page.isNull(); });
    QCOMPARE(wizard().link().Delay(250), WaitResult::Done);
    QVERIFY(aliveInTheWait && !page.isNull());
    QTRY_VERIFY(page.isNull());
}

void TstWizard::unloadedPageStaysUnloaded() {
    QPointer<TestPage> page = static_cast<TestPage*>(open(wizard(), "TestPage"));
    // Form_Unload that closes the window again, as a close handler that shows another page may.
    page->onUnload = [&] { page->close(); };
    page->close();
    wizard().unload(page);
    QCOMPARE(page->unloads, 1);
    // A handler that was waiting while the page was unloaded goes on to show it: it stays hidden.
    page->show();
    QVERIFY(!page->isVisible());
    QVERIFY(!m_bench->ended());
    QTRY_VERIFY(page.isNull());
}

void TstWizard::exitClosesEverything_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("Exit on Step1") << "Step1";
    QTest::newRow("Exit on Step2") << "Step2";
    QTest::newRow("Exit on Step3") << "Step3";
}

// Exit with the help window and the parameter sheet open beside the page: everything goes, no close
// handler runs (Step3's would show Step2 again) and a wait in progress ends.
void TstWizard::exitClosesEverything() {
    QFETCH(QString, window);
    click(wizard().step2(), "HelpButton");
    open(wizard(), "PrintParam");
    Page* page = open(wizard(), window);
    QVERIFY(wizard().loadedHelpFrm()->isVisible());

    QTimer::singleShot(20, page, [page] { click(*page, "Exit"); });
    QCOMPARE(wizard().link().Delay(30000), WaitResult::Cancelled);
    QVERIFY(m_bench->ended());
    QCOMPARE(visibleWindows(), QList<QWidget*>{});
    QVERIFY(!wizard().state().PortIsOpen);
}

// One help window beside the pages, brought forward and back to its first page on every click; closed,
// the next click loads a fresh one.
void TstWizard::helpButton() {
    Step2& step2 = wizard().step2();
    const QString help1 = wizard().state().HelpDir + "Help1.html";
    click(step2, "HelpButton");
    QPointer<HelpFrm> help = wizard().loadedHelpFrm();
    QVERIFY(help && help->isVisible() && step2.isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Help"));
    QCOMPARE(help->helpPane()->currentPath(), help1);
    QVERIFY(!help->helpPane()->showsMissingFile() && !help->helpPane()->toPlainText().isEmpty());

    help->helpPane()->Navigate(wizard().state().HelpDir + "Step2.html");
    step2.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &step2);
    click(step2, "HelpButton");
    QCOMPARE(wizard().loadedHelpFrm(), help.data());
    QCOMPARE(help->helpPane()->currentPath(), help1);
    QTRY_COMPARE(QApplication::activeWindow(), help.data());
    QCOMPARE(visibleWindows().size(), 2);

    click(step2, "Back"); // the help window stays beside the pages
    QVERIFY(wizard().step1().isVisible() && help->isVisible());

    click(*help, "Close");
    QVERIFY(!help->isVisible() && !wizard().loadedHelpFrm());
    QTRY_VERIFY(help.isNull());
    click(step2, "HelpButton");
    QVERIFY(wizard().loadedHelpFrm() && wizard().loadedHelpFrm()->isVisible());
    QCOMPARE(wizard().loadedHelpFrm()->helpPane()->currentPath(), help1);
    QVERIFY(!m_bench->ended());
}

// A help folder without the file: one plain line naming it, no box, and the window still works. Asked
// again for the page it shows, the help window reads the file anew.
void TstWizard::helpFileMissingThenReadAnew() {
    QTemporaryDir dir;
    wizard().state().HelpDir = dir.path() + QLatin1Char('/');
    Step2& step2 = wizard().step2();
    click(step2, "HelpButton");
    HelpPane* pane = wizard().loadedHelpFrm()->helpPane();
    QVERIFY(pane->showsMissingFile());
    QVERIFY2(pane->toPlainText().contains(dir.path() + "/Help1.html"), qPrintable(pane->toPlainText()));
    QVERIFY2(!pane->toPlainText().contains('\n'), qPrintable(pane->toPlainText()));
    QVERIFY(m_bench->boxes().seen().empty());

    for (const char* edition : {"first edition", "second edition"}) {
        QFile file(dir.filePath("Help1.html"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("<html><body><p>") + edition + "</p></body></html>");
        file.close();
        click(step2, "HelpButton");
        QVERIFY(!pane->showsMissingFile());
        QVERIFY(pane->toPlainText().contains(edition));
    }
    click(*wizard().loadedHelpFrm(), "Close");
    QVERIFY(!wizard().loadedHelpFrm() && !m_bench->ended());
}

QTEST_MAIN(TstWizard)
#include "tst_wizard.moc"
