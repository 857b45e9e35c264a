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
#include "shell/wizard.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using SensorSteps::Action;
using SensorSteps::Sensor;

// A window of the frame's own, to watch the lifecycle without any printer work in its handlers.
class TestPage : public Page {
public:
    TestPage(Wizard& wizard, Lifetime lifetime) : Page(wizard, table(), lifetime) {}
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
Page* open(Bench& bench, const QString& name) {
    Wizard& w = bench.wizard();
    const QMap<QString, std::function<Page*()>> pages{
        {"SplashScreen", [&]() -> Page* { return &w.splashScreen(); }},
        {"Step1", [&]() -> Page* { return &w.step1(); }},
        {"PortSelection", [&]() -> Page* { return &w.portSelection(); }},
        {"Step2", [&]() -> Page* { return &w.step2(); }},
        {"ChanReflectModeFrm", [&]() -> Page* { return &w.chanReflectModeFrm(); }},
        {"Step3", [&]() -> Page* { return &w.step3(); }},
        {"MonitorFrm", [&]() -> Page* { return &w.monitorFrm(); }},
        {"PrintParam", [&]() -> Page* { return &w.printParam(); }},
        {"HelpFrm", [&]() -> Page* { return &w.helpFrm(); }},
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

QPushButton* button(Page& page, const char* name) {
    return page.control<QPushButton>(name);
}

} // namespace

class TstWizard : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_bench.reset(); }

    void closeBox_data();
    void closeBox();
    void closeBoxAndWaits_data();
    void closeBoxAndWaits();
    void unloadedPageOutlivesTheWait();
    void unloadedPageStaysUnloaded();
    void exitClosesEverything_data();
    void exitClosesEverything();

    void helpButtonOpensHelpWindow();
    void helpButtonTwice();
    void closeHelpThenHelpButton();
    void helpWindowStaysBesideThePages();
    void helpPageReadAgain();
    void missingHelpFile();

private:
    std::unique_ptr<Bench> m_bench;
};

void TstWizard::init() {
    m_bench = std::make_unique<Bench>();
    SensorSteps::printerAtStep2(*m_bench);
}

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
    Step2& step2 = m_bench->wizard().step2();
    if (backToStep2) step2.hide();
    QPointer<Page> page = open(*m_bench, window);
    QVERIFY(page->isVisible());

    page->close();

    QCOMPARE(m_bench->ended(), ends);
    if (ends) {
        QVERIFY(visibleWindows().isEmpty());
        return;
    }
    QVERIFY(!page->isVisible());
    QVERIFY(page->isUnloaded());
    if (backToStep2) QVERIFY(step2.isVisible());
    QTRY_VERIFY(page.isNull());
    // The next use loads a fresh window.
    QVERIFY(open(*m_bench, window) != nullptr);
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
    Page* page = window == "TestPage" ? new TestPage(m_bench->wizard(), Page::Lifetime::UnloadedWhenLeft)
                                      : open(*m_bench, window);
    page->show();
    QTimer::singleShot(20, page, [page] { page->close(); });
    const WaitResult result = m_bench->wizard().link().Delay(cancels ? 30000 : 200);
    QCOMPARE(result, cancels ? WaitResult::Cancelled : WaitResult::Done);
    QVERIFY(!m_bench->ended());
}

// A handler that waits for the printer may find its page unloaded when the wait ends; the page object
// must still be there for it to look at, and go once the wait is over.
void TstWizard::unloadedPageOutlivesTheWait() {
    QPointer<TestPage> page = new TestPage(m_bench->wizard(), Page::Lifetime::UnloadedWhenLeft);
    page->show();
    bool aliveInTheWait = false;
    QTimer::singleShot(20, page, [&] { m_bench->wizard().unload(page); });
    QTimer::singleShot(120, [&] { aliveInTheWait = !page.isNull(); });
    QCOMPARE(m_bench->wizard().link().Delay(250), WaitResult::Done);
    QVERIFY(aliveInTheWait);
    QVERIFY(!page.isNull());
    QTRY_VERIFY(page.isNull());
}

void TstWizard::unloadedPageStaysUnloaded() {
    QPointer<TestPage> page = new TestPage(m_bench->wizard(), Page::Lifetime::UnloadedWhenLeft);
    page->show();
    // Form_Unload that ends up closing the window again, as a close handler that shows another page may.
    page->onUnload = [&] { page->close(); };
    page->close();
    m_bench->wizard().unload(page);
    QCOMPARE(page->unloads, 1);
    QVERIFY(!page->isVisible());
    // A handler that was waiting while the page was unloaded goes on to show it: it stays hidden.
    page->show();
    QVERIFY(!page->isVisible());
    QVERIFY(!m_bench->ended());
    QTRY_VERIFY(page.isNull());
}

void TstWizard::exitClosesEverything_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("Exit on Step2") << "Step2";
    QTest::newRow("Exit on Step3") << "Step3";
    QTest::newRow("Exit on Step1") << "Step1";
}

// Exit with the help window and the parameter sheet open beside the page: everything goes, no close
// handler runs (Step3's would show Step2 again) and a wait in progress ends.
void TstWizard::exitClosesEverything() {
    QFETCH(QString, window);
    Wizard& wizard = m_bench->wizard();
    button(wizard.step2(), "HelpButton")->click();
    open(*m_bench, "PrintParam");
    Page* page = open(*m_bench, window);
    QVERIFY(wizard.loadedHelpFrm()->isVisible());

    QTimer::singleShot(20, page, [page] { button(*page, "Exit")->click(); });
    QCOMPARE(wizard.link().Delay(30000), WaitResult::Cancelled);

    QVERIFY(m_bench->ended());
    QCOMPARE(visibleWindows(), QList<QWidget*>{});
    QVERIFY(!wizard.state().PortIsOpen);
}

void TstWizard::helpButtonOpensHelpWindow() {
    Step2& step2 = m_bench->wizard().step2();
    button(step2, "HelpButton")->click();
    HelpFrm* help = m_bench->wizard().loadedHelpFrm();
    QVERIFY(help && help->isVisible());
    QVERIFY(step2.isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Help"));
    QCOMPARE(help->helpPane()->currentPath(), m_bench->wizard().state().HelpDir + "Help1.html");
    QVERIFY(!help->helpPane()->showsMissingFile());
    QVERIFY(!help->helpPane()->toPlainText().isEmpty());
}

void TstWizard::helpButtonTwice() {
    Step2& step2 = m_bench->wizard().step2();
    button(step2, "HelpButton")->click();
    QPointer<HelpFrm> help = m_bench->wizard().loadedHelpFrm();
    help->helpPane()->Navigate(m_bench->wizard().state().HelpDir + "Step2.html");
    step2.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &step2);

    button(step2, "HelpButton")->click();

    QCOMPARE(m_bench->wizard().loadedHelpFrm(), help.data());
    QVERIFY(help->isVisible());
    QCOMPARE(help->helpPane()->currentPath(), m_bench->wizard().state().HelpDir + "Help1.html");
    QTRY_COMPARE(QApplication::activeWindow(), help.data());
    int helpWindows = 0;
    for (QWidget* w : visibleWindows())
        if (qobject_cast<HelpFrm*>(w)) ++helpWindows;
    QCOMPARE(helpWindows, 1);
}

void TstWizard::closeHelpThenHelpButton() {
    Step2& step2 = m_bench->wizard().step2();
    button(step2, "HelpButton")->click();
    QPointer<HelpFrm> first = m_bench->wizard().loadedHelpFrm();

    button(*first, "Close")->click();
    QVERIFY(!first->isVisible());
    QVERIFY(!m_bench->wizard().loadedHelpFrm());
    QTRY_VERIFY(first.isNull());

    button(step2, "HelpButton")->click();
    HelpFrm* second = m_bench->wizard().loadedHelpFrm();
    QVERIFY(second && second->isVisible());
    QCOMPARE(second->helpPane()->currentPath(), m_bench->wizard().state().HelpDir + "Help1.html");
    QVERIFY(!m_bench->ended());
}

void TstWizard::helpWindowStaysBesideThePages() {
    Step2& step2 = m_bench->wizard().step2();
    button(step2, "HelpButton")->click();
    button(step2, "Back")->click();
    QVERIFY(m_bench->wizard().step1().isVisible());
    QVERIFY(m_bench->wizard().loadedHelpFrm()->isVisible());
}

// Asked for the page it shows already, the help window reads the file again.
void TstWizard::helpPageReadAgain() {
    QTemporaryDir dir;
    const auto write = [&](const char* text) {
        QFile file(dir.filePath("Help1.html"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("<html><body><p>") + text + "</p></body></html>");
    };
    m_bench->wizard().state().HelpDir = dir.path() + QLatin1Char('/');
    write("first edition");
    Step2& step2 = m_bench->wizard().step2();
    button(step2, "HelpButton")->click();
    HelpPane* pane = m_bench->wizard().loadedHelpFrm()->helpPane();
    QVERIFY(pane->toPlainText().contains("first edition"));

    write("second edition");
    button(step2, "HelpButton")->click();
    QVERIFY(pane->toPlainText().contains("second edition"));
}

// A help folder without the file: one plain line naming it, and the window still works.
void TstWizard::missingHelpFile() {
    QTemporaryDir empty;
    m_bench->wizard().state().HelpDir = empty.path() + QLatin1Char('/');
    Step2& step2 = m_bench->wizard().step2();
    button(step2, "HelpButton")->click();
    HelpFrm* help = m_bench->wizard().loadedHelpFrm();
    HelpPane* pane = help->helpPane();
    QVERIFY(pane->showsMissingFile());
    const QString text = pane->toPlainText();
    QVERIFY2(text.contains(empty.path() + "/Help1.html"), qPrintable(text));
    QVERIFY2(!text.contains('\n'), qPrintable(text));
    QVERIFY(m_bench->boxes().seen().empty());

    button(*help, "Close")->click();
    QVERIFY(!m_bench->wizard().loadedHelpFrm());
    QVERIFY(!m_bench->ended());
}

QTEST_MAIN(TstWizard)
#include "tst_wizard.moc"
