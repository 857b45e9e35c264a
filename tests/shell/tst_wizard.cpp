// The page frame: the splash at start, what each close box does, ending the program, the help window
// beside the pages, the help page each window shows and where help pages are read from.
#include "support/bench.h"
#include "support/sensorsteps.h"

#include "link/link.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PageId)

namespace {

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
    std::unique_ptr<Bench> m_bench;
    Wizard& wizard() { return m_bench->wizard(); }
    // Loads the page as the wizard would and shows it.
    Page& open(PageId id) {
        wizard().page(id).show();
        return wizard().page(id);
    }

private slots:
    void init() {
        m_bench = std::make_unique<Bench>();
        SensorSteps::printerAtStep2(*m_bench);
    }
    void cleanup() { m_bench.reset(); }

    // The splash alone, centred, deaf to every input, for a second and a half; then Step1 alone, loaded as
    // it was shown. Ended meanwhile, the program shows no page afterwards.
    void splashHandsOverToStep1_data() {
        QTest::addColumn<bool>("ended");
        QTest::newRow("hands over") << false;
        QTest::newRow("ended before its time") << true;
    }
    void splashHandsOverToStep1() {
        QFETCH(bool, ended);
        m_bench.reset();
        m_bench = std::make_unique<Bench>();
        wizard().start();
        SplashScreen& splash = wizard().splashScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QCOMPARE(visibleWindows(), QList<QWidget*>{&splash});
        QCOMPARE(splash.Rev->text(), QStringLiteral("Rev: 1.0"));
        QVERIFY(splash.Timer->interval() == 1500 && splash.Timer->isActive() && splash.Timer->isSingleShot());
        const QPoint centre = splash.screen()->availableGeometry().center();
        QVERIFY((splash.frameGeometry().center() - centre).manhattanLength() <= 2);
        QWidget* picture = splash.control<QLabel>("Picture1");
        QTest::mouseClick(picture, Qt::LeftButton);
        QTest::mouseClick(splash.Rev, Qt::LeftButton);
        QTest::mouseDClick(picture, Qt::LeftButton);
        QTest::mouseClick(picture, Qt::RightButton);
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space})
            QTest::keyClick(&splash, key);
        QTest::keyClick(&splash, Qt::Key_F4, Qt::AltModifier);
        splash.close();
        QCoreApplication::processEvents();
        QVERIFY(splash.isVisible() && splash.Timer->isActive() && !wizard().loadedStep1() &&
                !m_bench->ended());
        if (ended) wizard().endProgram();
        QTRY_VERIFY_WITH_TIMEOUT(!splash.Timer->isActive(), 10000);
        QCoreApplication::processEvents();
        Page* step1 = wizard().loadedPage(PageId::Step1);
        QCOMPARE(visibleWindows(), ended ? QList<QWidget*>{} : QList<QWidget*>{step1});
        if (!ended) QVERIFY(step1->helpPane()->currentPath().endsWith("Step1.html"));
    }

    // The close box of a page is a way to leave it, like Back, and ends the waits in progress; the windows
    // beside the pages are not. A page closed in a wait is there for the waiting handler until it returns,
    // shows no more, and the next use loads a fresh one.
    void closeBox_data() {
        QTest::addColumn<PageId>("window");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("backToStep2");
        QTest::addColumn<bool>("cancels");
        QTest::newRow("Step1 ends the program") << PageId::Step1 << true << false << true;
        QTest::newRow("PortSelection ends the program") << PageId::PortSelection << true << false << true;
        QTest::newRow("Step2 ends the program") << PageId::Step2 << true << false << true;
        QTest::newRow("ChanReflectModeFrm ends the program")
            << PageId::ChanReflectModeFrm << true << false << true;
        QTest::newRow("Step3 goes back to Step2") << PageId::Step3 << false << true << true;
        QTest::newRow("MonitorFrm goes back to Step2") << PageId::MonitorFrm << false << true << true;
        QTest::newRow("PrintParam closes, the wait goes on") << PageId::PrintParam << false << false << false;
        QTest::newRow("HelpFrm closes, the wait goes on") << PageId::HelpFrm << false << false << false;
    }
    void closeBox() {
        QFETCH(PageId, window);
        QFETCH(bool, ends);
        QFETCH(bool, backToStep2);
        QFETCH(bool, cancels);
        if (!ends) wizard().step2().hide();
        QPointer<Page> page = &open(window);
        QTimer::singleShot(20, page, [page] { page->close(); });
        QCOMPARE(wizard().link().Delay(cancels ? 30000 : 200),
                 cancels ? WaitResult::Cancelled : WaitResult::Done);
        QCOMPARE(m_bench->ended(), ends);
        if (ends) {
            QCOMPARE(visibleWindows(), QList<QWidget*>{});
            return;
        }
        QVERIFY(page && page->isUnloaded() && !page->isVisible());
        QCOMPARE(wizard().step2().isVisible(), backToStep2);
        page->show(); // as a handler that waited may do
        QVERIFY(!page->isVisible());
        QTRY_VERIFY(page.isNull());
        QVERIFY(open(window).isVisible());
    }

    // Exit with the help window and the parameter sheet open beside the page: everything goes, no close
    // handler runs (Step3's would show Step2 again) and a wait in progress ends.
    void exitClosesEverything_data() {
        QTest::addColumn<PageId>("window");
        QTest::newRow("Step1") << PageId::Step1;
        QTest::newRow("Step2") << PageId::Step2;
        QTest::newRow("Step3") << PageId::Step3;
    }
    void exitClosesEverything() {
        QFETCH(PageId, window);
        click(wizard().step2(), "HelpButton");
        open(PageId::PrintParam);
        Page* page = &open(window);
        QVERIFY(wizard().loadedHelpFrm()->isVisible());
        QTimer::singleShot(20, page, [page] { click(*page, "Exit"); });
        QCOMPARE(wizard().link().Delay(30000), WaitResult::Cancelled);
        QVERIFY(m_bench->ended() && !wizard().state().PortIsOpen);
        QCOMPARE(visibleWindows(), QList<QWidget*>{});
    }

    // One help window beside the pages, brought forward and back to its first page on every click;
    // closed, the next click loads a fresh one.
    void helpButton() {
        Step2& step2 = wizard().step2();
        click(step2, "HelpButton");
        QPointer<HelpFrm> help = wizard().loadedHelpFrm();
        help->helpPane()->Navigate(wizard().state().HelpDir + "Step2.html");
        step2.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &step2);
        click(step2, "HelpButton");
        QCOMPARE(wizard().loadedHelpFrm(), help.data());
        QCOMPARE(help->helpPane()->currentPath(), wizard().state().HelpDir + "Help1.html");
        QTRY_COMPARE(QApplication::activeWindow(), help.data());
        QCOMPARE(visibleWindows().size(), 2);
        click(*help, "Close");
        QVERIFY(!help->isVisible() && !wizard().loadedHelpFrm());
        QTRY_VERIFY(help.isNull());
        click(step2, "HelpButton");
        QVERIFY(wizard().loadedHelpFrm() && wizard().loadedHelpFrm()->isVisible() && !m_bench->ended());
    }

    // Every help page of the help folder reads as a page, and the window that opens on it shows it.
    void helpPages_data() {
        QTest::addColumn<QString>("window");
        for (const auto& [file, window] :
             QList<std::pair<const char*, const char*>>{{"Step1.html", "Step1"},
                                                        {"Step1bis.html", "PortSelection"},
                                                        {"Step2.html", "Step2"},
                                                        {"RefMode.html", "ChanReflectModeFrm"},
                                                        {"Step3Printer.html", "Step3 printer"},
                                                        {"Step3NEOP.html", "Step3 near end"},
                                                        {"Help1.html", "HelpFrm"},
                                                        {"Step1NotFound.html", ""},
                                                        {"Step3NEOPCal.html", ""},
                                                        {"Step3PrinterCal.html", ""},
                                                        {"Congratulation.html", ""}})
            QTest::newRow(file) << QString(window);
    }
    void helpPages() {
        QFETCH(QString, window);
        const QString file = wizard().state().HelpDir + QTest::currentDataTag();
        HelpPane pane;
        pane.Navigate(file);
        QVERIFY(!pane.showsMissingFile() && !pane.documentTitle().isEmpty() &&
                pane.toPlainText().size() > 100);
        const bool printer = window == "Step3 printer";
        if (window.startsWith("Step3"))
            SensorSteps::choose(*m_bench,
                                printer ? SensorSteps::Sensor::Printer : SensorSteps::Sensor::NearEnd,
                                SensorSteps::Action::Calibrate);
        if (window == "HelpFrm") click(wizard().step2(), "HelpButton");
        const QMap<QString, PageId> pages{{"Step1", PageId::Step1},
                                          {"PortSelection", PageId::PortSelection},
                                          {"Step2", PageId::Step2},
                                          {"ChanReflectModeFrm", PageId::ChanReflectModeFrm},
                                          {"HelpFrm", PageId::HelpFrm}};
        if (!window.isEmpty())
            QCOMPARE(open(pages.value(window, PageId::Step3)).helpPane()->currentPath(), file);
    }

    // A page missing from the working directory comes from the installed folder beside the program
    // (<prefix>/bin/../share/veltaro/help); a page in both comes from the working directory, read anew
    // when asked for again; a page in neither is one plain line naming it.
    void whereHelpPagesComeFrom() {
        QTemporaryDir working;
        const QString asked = working.filePath("Extra.html");
        const QString installed =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/veltaro/help");
        const auto tidy =
            qScopeGuard([&] { QFile::remove(installed + "/Extra.html") && QDir().rmpath(installed); });
        HelpPane pane;
        pane.Navigate(asked);
        QVERIFY(pane.showsMissingFile());
        QCOMPARE(pane.toPlainText(), "Help page not found: " + asked);
        for (const QString& folder : {installed, working.path(), working.path() + "/./"}) {
            QFile page(folder + "/Extra.html");
            QVERIFY(QDir().mkpath(folder) && page.open(QIODevice::WriteOnly) && page.write(folder.toUtf8()));
            page.close();
            pane.Navigate(asked);
            QCOMPARE(pane.toPlainText(), folder);
        }
    }
};

QTEST_MAIN(TstWizard)
#include "tst_wizard.moc"
