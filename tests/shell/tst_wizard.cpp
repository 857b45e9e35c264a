// Every window of the wizard as built from its layout table (places, containers, colours, tab order and
// what a screen reader hears come from the tables; what the user reads is written out here), and how the
// frame treats the windows: the splash at start, the close boxes, Exit, the help window and help pages.
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
#include "shell/language.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMetaEnum>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <map>

namespace {

// The window as its page class builds it, before its Form_Load changes anything.
using Make = std::function<Page*(Wizard&)>;
template <class T> const Make make = [](Wizard& wizard) -> Page* { return new T(wizard); };

QString captionOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(w)) return frame->title();
    return {};
}

// Pixels of the colour, or only of its hue: small antialiased glyphs rarely reach the colour itself.
int countPixels(const QImage& image, const QColor& colour, bool hueOnly) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += hueOnly ? c.hsvSaturation() > 80 && qAbs(c.hsvHue() - colour.hsvHue()) < 20
                             : c.rgb() == colour.rgb();
        }
    return count;
}

QList<QWidget*> visibleWindows() {
    QList<QWidget*> list = QApplication::topLevelWidgets();
    list.removeIf([](QWidget* w) { return !w->isVisible(); });
    return list;
}

} // namespace

Q_DECLARE_METATYPE(PageId)
Q_DECLARE_METATYPE(Make)

class TstWizard : public QObject {
    Q_OBJECT
    std::unique_ptr<Bench> m_bench;
    Wizard& wizard() { return m_bench->wizard(); }
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

    // A third of a pixel rounds down, two thirds round up.
    void twipsToPixels() {
        QCOMPARE((QList<int>{Layout::toPixels(1575), Layout::toPixels(2350), Layout::toPixels(3485)}),
                 (QList<int>{105, 157, 232}));
    }

    // What the user sees of each window: its kind, title, icon, client size and every caption in the
    // table's order (a picture button's is what a screen reader says).
    void window_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QString>("seen");
        const QString step1 = "Window, Step 1: Detection of the printer", moves = "|Exit|<--  Back|Next  -->";
        const QString step3 = ", Step 3: Calibration of the opto-sensor [a]";
        QTest::newRow("SplashScreen") << make<SplashScreen> << "SplashScreen,  [] 378x281: ";
        QTest::newRow("Step1") << make<Step1> << step1 + " [a] 365x312: Exit|Manual Detection|Start";
        QTest::newRow("PortSelection") << make<PortSelection>
                                       << step1 + " [b] 361x312: Serial Port|COM 1|COM 2|COM 3|COM 4|COM 5|"
                                                  "COM 6|Baudrate:|Handshake:|Detect Printer" + moves;
        QTest::newRow("Step2") << make<Step2>
                               << "Window, Step 2: Opto-sensor selection [a] 359x310: Optosensor selection|"
                                  "Printer opto-sensor|Near End Of Paper opto-sensor|Action selection|"
                                  "Monitor the opto-sensor|Calibrate the opto-sensor" + moves + "|Help";
        QTest::newRow("ChanReflectModeFrm")
            << make<ChanReflectModeFrm> << "Dialog" + step3 + " 363x310: Reflective|Transmitive" + moves;
        QTest::newRow("Step3") << make<Step3> << "Window" + step3 + " 359x310: Exit|<--  Back|Calibrate";
        QTest::newRow("MonitorFrm") << make<MonitorFrm>
                                    << "Window, Monitoring the opto-sensors [a] 359x310: Exit|<--  Back|"
                                       "Check Parameters";
        QTest::newRow("PrintParam") << make<PrintParam>
                                    << "Tool, Printer opto parameters [] 210x95: Opto Type|Black Level|"
                                       "Mark Level|Paper Level|Paper Threshold|Mark Threshold";
        QTest::newRow("HelpFrm") << make<HelpFrm> << "Dialog, Help [c] 365x312: Close Help";
    }
    // The window as built from its table: fixed size, frame, placement, every element and the tab order.
    void window() {
        QFETCH(Make, make);
        QFETCH(QString, seen);
        const std::unique_ptr<Page> page(make(wizard()));
        const Layout::Window& table = page->layoutTable();
        QVERIFY(page->minimumSize() == page->size() && page->maximumSize() == page->size());
        const Qt::WindowFlags flags = page->windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & (table.frame == Layout::WindowFrame::None ? Qt::FramelessWindowHint
                                                                  : Qt::WindowCloseButtonHint));
        const auto image = [](const QIcon& i) { return i.pixmap(32, 32).toImage(); };
        QString icon;
        for (const QString letter : {"a", "b", "c"})
            if (!page->windowIcon().isNull() &&
                image(page->windowIcon()) == image(QIcon(":/icon-" + letter + ".png")))
                icon += letter;
        page->show();
        page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(page.get()));

        QStringList read;
        std::map<int, QString> focusOrder;
        const QColor windowText = page->palette().color(QPalette::WindowText);
        for (const Layout::Element& e : table.elements) {
            const QByteArray where = QTest::currentDataTag() + ('.' + e.name).toUtf8();
            auto* w = page->findChild<QWidget*>(e.name);
            if (e.kind == Layout::Kind::Timer) continue;
            QVERIFY2(w && w->parentWidget() ==
                              (e.container.isEmpty() ? page.get() : page->findChild<QWidget*>(e.container)),
                     where);
            QCOMPARE(w->geometry(), QRect(Layout::toPixels(e.left), Layout::toPixels(e.top),
                                          Layout::toPixels(e.width), Layout::toPixels(e.height)));
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(w);
            const QString caption =
                e.kind == Layout::Kind::PictureButton ? access->text(QAccessible::Name) : captionOf(w);
            if (!caption.isEmpty()) read << caption;
            if (e.tab >= 0 && (w->focusPolicy() & Qt::TabFocus)) focusOrder[e.tab] = e.name;

            if (e.kind == Layout::Kind::Option) {
                // A radio button to a screen reader; its toggle action selects it alone in its choice.
                QCOMPARE(access->role(), QAccessible::RadioButton);
                access->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
                QStringList selected;
                for (const Layout::Element& other : table.elements)
                    if (other.kind == e.kind &&
                        (e.choice.isEmpty() ? other.container == e.container : other.choice == e.choice) &&
                        page->findChild<QAbstractButton*>(other.name)->isChecked())
                        selected << other.name;
                QCOMPARE(selected, QStringList{e.name});
                // An arrow key moves the choice on to an option beside it, in another frame too.
                w->setFocus();
                auto* option = static_cast<QAbstractButton*>(w);
                for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up})
                    if (option->isChecked()) QTest::keyClick(w, key);
                QVERIFY2(!option->isChecked(), where);
            }
            if (auto* list = qobject_cast<QComboBox*>(w)) { // a list of its own entries, named by its label
                QVERIFY2(!list->isEditable() && !access->relations(QAccessible::Label).isEmpty(), where);
            }
            // Backgrounds fill the element, a coloured caption is drawn in its colour, and elements inside a
            // coloured container keep the window's text colour.
            const QImage grab = w->grab().toImage();
            if (e.background.isValid() && e.kind == Layout::Kind::Label) {
                QCOMPARE(grab.pixelColor(1, 1), e.background);
                QCOMPARE(grab.pixelColor(grab.width() - 2, grab.height() - 2), e.background);
            }
            if (e.foreground.isValid() && !caption.isEmpty() && e.foreground != windowText)
                QVERIFY2(countPixels(grab, e.foreground, true) > 10, where);
            const QColor inherited =
                e.container.isEmpty() ? QColor() : table.element(e.container)->foreground;
            if (inherited.isValid() && !e.foreground.isValid() && !caption.isEmpty())
                QVERIFY2(countPixels(grab, inherited, false) == 0, where);
        }
        const QString shown = QString("%1, %2 [%3] %4x%5: %6")
                                  .arg(QMetaEnum::fromType<Qt::WindowType>().valueToKey(page->windowType()),
                                       page->windowTitle(), icon)
                                  .arg(page->width())
                                  .arg(page->height())
                                  .arg(read.join('|'));
        QCOMPARE(shown, seen);

        // The elements that take the focus in the table's order; the others hold places Tab never visits.
        QStringList expected, chain;
        for (const auto& [tab, element] : focusOrder)
            expected << element;
        for (QWidget* w = page->nextInFocusChain(); w != page.get(); w = w->nextInFocusChain())
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
        QCOMPARE(chain, expected);
    }

    // The splash alone, centred, deaf to every input, for a second and a half; then Step1 alone, loaded as
    // it was shown. Ended meanwhile, the program shows no page afterwards.
    void splash_data() {
        QTest::addColumn<bool>("ended");
        QTest::newRow("hands over to Step1") << false;
        QTest::newRow("ended before its time") << true;
    }
    void splash() {
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
        for (QWidget* w : {picture, static_cast<QWidget*>(splash.Rev)})
            QTest::mouseClick(w, Qt::LeftButton);
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

    // A page's close box leaves it like Back and ends the waits in progress; the windows beside the pages do
    // not. A page closed in a wait stays for the waiting handler, shows no more, and the next use loads a
    // fresh one. Ending the program (close box or Exit) with the help window and the parameter sheet open
    // takes every window and runs no close handler (Step3's would show Step2 again).
    void leaving_data() {
        QTest::addColumn<PageId>("window");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Step1") << PageId::Step1 << "ends the program";
        QTest::newRow("PortSelection") << PageId::PortSelection << "ends the program";
        QTest::newRow("Step2") << PageId::Step2 << "ends the program";
        QTest::newRow("ChanReflectModeFrm") << PageId::ChanReflectModeFrm << "ends the program";
        QTest::newRow("Step3") << PageId::Step3 << "back to Step2";
        QTest::newRow("MonitorFrm") << PageId::MonitorFrm << "back to Step2";
        QTest::newRow("PrintParam") << PageId::PrintParam << "closes beside the wait";
        QTest::newRow("HelpFrm") << PageId::HelpFrm << "closes beside the wait";
        QTest::newRow("Exit on Step1") << PageId::Step1 << "ends the program";
        QTest::newRow("Exit on Step2") << PageId::Step2 << "ends the program";
        QTest::newRow("Exit on Step3") << PageId::Step3 << "ends the program";
    }
    void leaving() {
        QFETCH(PageId, window);
        QFETCH(QString, outcome);
        const bool ends = outcome == "ends the program", cancels = outcome != "closes beside the wait";
        const bool exit = QByteArray(QTest::currentDataTag()).startsWith("Exit");
        if (ends) wizard().openHelpWindow();
        if (ends) open(PageId::PrintParam);
        if (!ends) wizard().step2().hide();
        QPointer<Page> page = &open(window);
        QTimer::singleShot(20, page, [page, exit] {
            exit ? page->control<QPushButton>("Exit")->click() : void(page->close());
        });
        QCOMPARE(wizard().link().Delay(cancels ? 30000 : 200),
                 cancels ? WaitResult::Cancelled : WaitResult::Done);
        QCOMPARE(m_bench->ended(), ends);
        QVERIFY(!ends || (!wizard().state().PortIsOpen && visibleWindows().isEmpty()));
        if (ends) return;
        QCOMPARE(wizard().step2().isVisible(), outcome == "back to Step2");
        page->show(); // as a handler that waited may do
        QVERIFY(page->isUnloaded() && !page->isVisible());
        QTRY_VERIFY(page.isNull());
        QVERIFY(open(window).isVisible());
    }

    // One help window beside the pages, brought forward and back to its first page on every click;
    // closed, the next click loads a fresh one.
    void helpButton() {
        Step2& step2 = wizard().step2();
        step2.control<QPushButton>("HelpButton")->click();
        QPointer<HelpFrm> help = wizard().loadedHelpFrm();
        help->helpPane()->Navigate(wizard().state().HelpDir + "Step2.html");
        step2.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &step2);
        step2.control<QPushButton>("HelpButton")->click();
        QCOMPARE(help->helpPane()->currentPath(), wizard().state().HelpDir + "Help1.html");
        QTRY_COMPARE(QApplication::activeWindow(), help.data());
        help->control<QPushButton>("Close")->click();
        QTRY_VERIFY(help.isNull() && !wizard().loadedHelpFrm());
        step2.control<QPushButton>("HelpButton")->click();
        QVERIFY(wizard().loadedHelpFrm() && wizard().loadedHelpFrm()->isVisible() && !m_bench->ended());
    }

    // Every help page of the help folder reads as a page, and the window that opens on it (-1 for none)
    // shows it; Step3 opens on the page of the sensor chosen.
    void helpPages_data() {
        QTest::addColumn<int>("window");
        QTest::newRow("Step1.html") << int(PageId::Step1);
        QTest::newRow("Step1bis.html") << int(PageId::PortSelection);
        QTest::newRow("Step2.html") << int(PageId::Step2);
        QTest::newRow("RefMode.html") << int(PageId::ChanReflectModeFrm);
        QTest::newRow("Step3Printer.html") << int(PageId::Step3);
        QTest::newRow("Step3NEOP.html") << int(PageId::Step3);
        for (const char* file : {"Help1.html", "Step1NotFound.html", "Step3NEOPCal.html",
                                 "Step3PrinterCal.html", "Congratulation.html"})
            QTest::newRow(file) << -1;
    }
    void helpPages() {
        QFETCH(int, window);
        const QString file = wizard().state().HelpDir + QTest::currentDataTag();
        HelpPane pane;
        pane.Navigate(file);
        QVERIFY(!pane.showsMissingFile() && !pane.documentTitle().isEmpty() &&
                pane.toPlainText().size() > 100);
        if (window == int(PageId::Step3))
            SensorSteps::choose(
                *m_bench, file.contains("NEOP") ? SensorSteps::Sensor::NearEnd : SensorSteps::Sensor::Printer,
                SensorSteps::Action::Calibrate);
        if (window >= 0) QCOMPARE(open(PageId(window)).helpPane()->currentPath(), file);
    }

    // A page missing from the working directory comes from the installed folder beside the program
    // (<prefix>/bin/../share/veltaro/help); a page in both comes from the working directory, read anew
    // when asked for again; a page in neither is one plain line naming it. In another language its page in
    // the folder of the language comes first, the English page where it has none.
    void whereHelpPagesComeFrom() {
        QTemporaryDir working;
        const QString asked = working.filePath("Extra.html");
        const QString installed =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/veltaro/help");
        const auto tidy =
            qScopeGuard([&] { QFile::remove(installed + "/Extra.html") && QDir().rmpath(installed); });
        HelpPane pane;
        pane.Navigate(asked);
        QCOMPARE(pane.toPlainText(), "Help page not found: " + asked);
        for (const QString& folder : {installed, working.path(), working.path() + "/./"}) {
            QFile page(folder + "/Extra.html");
            QVERIFY(QDir().mkpath(folder) && page.open(QIODevice::WriteOnly) && page.write(folder.toUtf8()));
            page.close();
            pane.Navigate(asked);
            QCOMPARE(pane.toPlainText(), folder);
        }
        const auto english = qScopeGuard([] { Language::use(Language::kEnglish); });
        Language::use("de");
        pane.Navigate(asked);
        QCOMPARE(pane.toPlainText(), working.path() + "/./");
        QFile german(working.filePath("de/Extra.html"));
        QVERIFY(QDir().mkpath(working.filePath("de")) && german.open(QIODevice::WriteOnly) &&
                german.write("de") && german.flush());
        pane.Navigate(asked);
        QCOMPARE(pane.toPlainText(), "de");
    }
};

QTEST_MAIN(TstWizard)
#include "tst_wizard.moc"
