// Every window as built against its layout table. The expectations come from the tables; only what the
// tables cannot vouch for themselves (twips to pixels, shared titles, the two blanks of the captions,
// picture sizes) is written out here.
#include "support/bench.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/helppane.h"
#include "shell/layout.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The window of that table as its page class builds it, before its Form_Load changes anything.
std::unique_ptr<Page> construct(Wizard& wizard, const QString& name) {
    const QMap<QString, std::function<Page*()>> pages{
        {"SplashScreen", [&] { return new SplashScreen(wizard); }},
        {"Step1", [&] { return new Step1(wizard); }},
        {"PortSelection", [&] { return new PortSelection(wizard); }},
        {"Step2", [&] { return new Step2(wizard); }},
        {"ChanReflectModeFrm", [&] { return new ChanReflectModeFrm(wizard); }},
        {"Step3", [&] { return new Step3(wizard); }},
        {"MonitorFrm", [&] { return new MonitorFrm(wizard); }},
        {"PrintParam", [&] { return new PrintParam(wizard); }},
        {"HelpFrm", [&] { return new HelpFrm(wizard); }},
    };
    return std::unique_ptr<Page>(pages.value(name)());
}

QString captionOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(w)) return frame->title();
    return {};
}

int countPixels(const QImage& image, const std::function<bool(const QColor&)>& match) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += match(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

} // namespace

class TstLayouts : public QObject {
    Q_OBJECT

private slots:
    void init() { m_bench = std::make_unique<Bench>(); }
    void cleanup() { m_bench.reset(); }

    void twipsToPixels_data();
    void twipsToPixels();
    void window_data();
    void window();
    void titlesAndCaptions();
    void pictures_data();
    void pictures();

private:
    std::unique_ptr<Bench> m_bench;
};

void TstLayouts::twipsToPixels_data() {
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("exact") << 1575 << 105;
    QTest::newRow("two thirds of a pixel rounds up") << 2350 << 157;
    QTest::newRow("one third of a pixel rounds down") << 3485 << 232;
}

void TstLayouts::twipsToPixels() {
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(Layout::toPixels(twips), pixels);
}

void TstLayouts::window_data() {
    QTest::addColumn<QString>("name");
    for (const Layout::Window* w : Layout::allWindows())
        QTest::newRow(qPrintable(w->name)) << w->name;
}

// Client size, frame, title, icon, placement, every element and the tab order.
void TstLayouts::window() {
    QFETCH(QString, name);
    const std::unique_ptr<Page> page = construct(m_bench->wizard(), name);
    const Layout::Window& table = page->layoutTable();
    QCOMPARE(page->objectName(), table.name);
    QCOMPARE(page->windowTitle(), table.title);
    const QSize client(Layout::toPixels(table.clientWidth), Layout::toPixels(table.clientHeight));
    QCOMPARE(page->size(), client);
    QCOMPARE(page->minimumSize(), client);
    QCOMPARE(page->maximumSize(), client);

    const Qt::WindowFlags flags = page->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    const QMap<Layout::WindowFrame, Qt::WindowType> types{{Layout::WindowFrame::FixedSingle, Qt::Window},
                                                          {Layout::WindowFrame::FixedDialog, Qt::Dialog},
                                                          {Layout::WindowFrame::ToolWindow, Qt::Tool}};
    if (table.frame == Layout::WindowFrame::None) {
        QVERIFY(flags & Qt::FramelessWindowHint);
    } else {
        QCOMPARE(page->windowType(), types.value(table.frame));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
    }

    if (table.icon.isEmpty())
        QVERIFY(page->windowIcon().isNull());
    else
        QCOMPARE(page->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(table.icon).convertToFormat(QImage::Format_ARGB32));

    if (table.centred) {
        page->show();
        // Placed before the desktop gives it a frame: its client area is what is centred.
        const QPoint offset = page->geometry().center() - page->screen()->availableGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QString::number(offset.manhattanLength())));
    }

    // Each element's place, container, caption, font, colours and what a screen reader hears of it.
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    const QColor windowText = page->palette().color(QPalette::WindowText);
    for (const Layout::Element& e : page->layoutTable().elements) {
        const QByteArray where = (name + QLatin1Char('.') + e.name).toUtf8();
        if (e.kind == Layout::Kind::Timer) {
            auto* timer = page->findChild<QTimer*>(e.name);
            QVERIFY2(timer && !timer->isActive(), where);
            continue;
        }
        auto* w = page->findChild<QWidget*>(e.name);
        QVERIFY2(w, where);
        QVERIFY2(w->parentWidget() ==
                     (e.container.isEmpty() ? page.get() : page->findChild<QWidget*>(e.container)),
                 where);
        QCOMPARE(w->geometry(), QRect(Layout::toPixels(e.left), Layout::toPixels(e.top),
                                      Layout::toPixels(e.width), Layout::toPixels(e.height)));
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(access, where);

        switch (e.kind) {
        case Layout::Kind::Option: {
            // A radio button to a screen reader; its toggle action selects it alone in its choice.
            QCOMPARE(access->role(), QAccessible::RadioButton);
            access->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            QStringList selected;
            for (const Layout::Element& other : page->layoutTable().elements)
                if (other.kind == e.kind &&
                    (e.choice.isEmpty() ? other.container == e.container : other.choice == e.choice) &&
                    page->findChild<QAbstractButton*>(other.name)->isChecked())
                    selected << other.name;
            QCOMPARE(selected, QStringList{e.name});
            Q_FALLTHROUGH();
        }
        case Layout::Kind::Label:
        case Layout::Kind::Button:
        case Layout::Kind::Frame:
            QCOMPARE(captionOf(w), e.caption);
            break;
        case Layout::Kind::PictureButton: {
            auto* button = qobject_cast<QAbstractButton*>(w);
            QVERIFY2(button && button->text().isEmpty() && !button->icon().isNull(), where);
            QCOMPARE(access->text(QAccessible::Name), e.caption);
            QCOMPARE(button->iconSize(), QImage(e.picture).size());
            break;
        }
        case Layout::Kind::DropDown: {
            auto* list = qobject_cast<QComboBox*>(w);
            QVERIFY2(list && !list->isEditable() && list->count() == 0, where);
            QVERIFY2(!access->relations(QAccessible::Label).isEmpty(), where); // named by the label above it
            break;
        }
        case Layout::Kind::Picture: {
            auto* picture = qobject_cast<QLabel*>(w);
            QVERIFY2(picture, where);
            QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                     QImage(e.caption).convertToFormat(QImage::Format_RGB32));
            QCOMPARE(picture->frameShape() != QFrame::NoFrame, e.border);
            // The splash picture shows whole inside its sunken border.
            if (name == "SplashScreen") QCOMPARE(picture->contentsRect().size(), picture->pixmap().size());
            break;
        }
        case Layout::Kind::HelpPane:
            QVERIFY2(qobject_cast<HelpPane*>(w) && !access->text(QAccessible::Name).isEmpty(), where);
            break;
        default:
            break;
        }

        if (!e.fontFamily.isEmpty()) {
            const QFontInfo font(w->font());
            QVERIFY2(font.bold(), where);
            QCOMPARE(font.pointSizeF(), e.fontPointSize);
            // The named face, or the face the system gives for serif where it is missing.
            const QString serif = QFontInfo(QFont(QStringLiteral("serif"))).family();
            QVERIFY2(font.family() == e.fontFamily || font.family() == serif, qPrintable(font.family()));
        }

        // Backgrounds fill the element, a coloured caption is drawn in its colour, and elements inside a
        // coloured container keep the window's text colour.
        const QImage image = w->grab().toImage();
        if (e.background.isValid() && e.kind == Layout::Kind::Label) {
            QCOMPARE(image.pixelColor(1, 1), e.background);
            QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), e.background);
        }
        if (e.foreground.isValid() && !captionOf(w).isEmpty() && e.foreground != windowText) {
            // Small antialiased glyphs rarely reach the colour itself, but their strokes are of its hue.
            const int tinted = countPixels(image, [&](const QColor& c) {
                return c.hsvSaturation() > 80 && qAbs(c.hsvHue() - e.foreground.hsvHue()) < 20;
            });
            QVERIFY2(tinted > 10, where);
        }
        if (!e.container.isEmpty() && !e.foreground.isValid() && !captionOf(w).isEmpty()) {
            const QColor inherited = page->layoutTable().element(e.container)->foreground;
            if (inherited.isValid())
                QVERIFY2(countPixels(image, [&](const QColor& c) { return c.rgb() == inherited.rgb(); }) == 0,
                         where);
        }
    }

    // The order among the elements that take the focus; the others hold places that Tab never visits.
    QList<const Layout::Element*> ordered;
    for (const Layout::Element& e : page->layoutTable().elements) {
        auto* w = e.kind == Layout::Kind::Timer ? nullptr : page->findChild<QWidget*>(e.name);
        if (e.tab >= 0 && w && (w->focusPolicy() & Qt::TabFocus)) ordered << &e;
    }
    std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    QStringList expected, chain;
    for (const Layout::Element* e : ordered)
        expected << e->name;
    QWidget* w = page.get();
    do {
        w = w->nextInFocusChain();
        if (expected.contains(w->objectName()) && !chain.contains(w->objectName())) chain << w->objectName();
    } while (w != page.get());
    QCOMPARE(chain, expected);
}

// Two titles are shared by two windows each, no other is; the captions that move the wizard keep two
// blanks between word and arrow on every page; five windows share the first of three icons.
void TstLayouts::titlesAndCaptions() {
    QMap<QString, QStringList> windowsByTitle;
    int back = 0, next = 0, sharingA = 0;
    for (const Layout::Window* table : Layout::allWindows()) {
        const std::unique_ptr<Page> page = construct(m_bench->wizard(), table->name);
        if (!page->windowTitle().isEmpty()) windowsByTitle[page->windowTitle()] << page->objectName();
        if (auto* button = page->findChild<QAbstractButton*>("Back"))
            back += button->text() == QStringLiteral("<--  Back");
        if (auto* button = page->findChild<QAbstractButton*>("Next"))
            next += button->text() == QStringLiteral("Next  -->");
        if (auto* button = page->findChild<QAbstractButton*>("Exit"))
            QCOMPARE(button->text(), QStringLiteral("Exit"));
        sharingA += table->icon == ":/icon-a.png";
    }
    QCOMPARE(back, 5);
    QCOMPARE(next, 3);
    QCOMPARE(sharingA, 5);
    const QImage a(":/icon-a.png"), b(":/icon-b.png"), c(":/icon-c.png");
    QVERIFY(a != b && b != c && a != c);
    QCOMPARE(windowsByTitle.take("Step 1: Detection of the printer"),
             (QStringList{"Step1", "PortSelection"}));
    QCOMPARE(windowsByTitle.take("Step 3: Calibration of the opto-sensor"),
             (QStringList{"ChanReflectModeFrm", "Step3"}));
    for (const QStringList& windows : std::as_const(windowsByTitle))
        QCOMPARE(windows.size(), 1);
}

void TstLayouts::pictures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("splash") << ":/splash.jpg" << QSize(357, 261);
    QTest::newRow("chart background") << ":/chart-background.jpg" << QSize(343, 247);
    QTest::newRow("reflective mode") << ":/mode-reflective.png" << QSize(80, 136);
    QTest::newRow("transmissive mode") << ":/mode-transmissive.png" << QSize(80, 136);
    QTest::newRow("paper enough") << ":/state-enough.png" << QSize(117, 24);
    QTest::newRow("near end of paper") << ":/state-neop.png" << QSize(137, 24);
    QTest::newRow("help button") << ":/help-button.png" << QSize(12, 16);
}

void TstLayouts::pictures() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QCOMPARE(QImage(path).size(), size);
}

QTEST_MAIN(TstLayouts)
#include "tst_layouts.moc"
