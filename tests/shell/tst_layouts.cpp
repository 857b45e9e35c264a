// Every window as built against its layout table: client size, frame, title, icon, and each element's
// place, container, caption, colours, font and tab order. The expectations come from the tables; only
// what the tables cannot vouch for themselves (the twips-to-pixels rule, the shared titles, the two
// blanks of the captions, the picture sizes) is written out here.
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
#include "shell/wizard.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
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

QRect pixels(const Layout::Element& e) {
    return {Layout::toPixels(e.left), Layout::toPixels(e.top), Layout::toPixels(e.width),
            Layout::toPixels(e.height)};
}

QString captionOf(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(w)) return frame->title();
    return {};
}

// How many pixels of the image are close to the colour.
// Pixels of the colour's hue: small antialiased glyphs rarely reach the colour itself, but their
// strokes are clearly of its hue.
int tintedPixels(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.hsvSaturation() > 80 && qAbs(c.hsvHue() - colour.hsvHue()) < 20)
                ++count;
        }
    return count;
}

int pixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) +
                    qAbs(c.blue() - colour.blue()) <
                12)
                ++count;
        }
    return count;
}

// Finds the widget among the accessible descendants of the window's interface.
bool reachable(QAccessibleInterface* from, const QObject* target, int depth = 0) {
    if (!from || depth > 12) return false;
    if (from->object() == target) return true;
    for (int i = 0; i < from->childCount(); ++i)
        if (reachable(from->child(i), target, depth + 1)) return true;
    return false;
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
    void elements_data() { window_data(); }
    void elements();
    void colours_data() { window_data(); }
    void colours();
    void tabOrder_data() { window_data(); }
    void tabOrder();
    void accessible_data() { window_data(); }
    void accessible();
    void splashPictureInsideItsBorder();
    void sharedTitles();
    void buttonCaptions();
    void pictures_data();
    void pictures();
    void threeDifferentIcons();

private:
    std::unique_ptr<Bench> m_bench;
};

void TstLayouts::twipsToPixels_data() {
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("exact") << 1575 << 105;
    QTest::newRow("two thirds of a pixel rounds up") << 2350 << 157;
    QTest::newRow("one third of a pixel rounds down") << 3485 << 232;
    QTest::newRow("less than half a pixel") << 7 << 0;
    QTest::newRow("more than half a pixel") << 10 << 1;
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
    switch (table.frame) {
    case Layout::WindowFrame::None:
        QVERIFY(flags & Qt::FramelessWindowHint);
        break;
    case Layout::WindowFrame::FixedSingle:
        QCOMPARE(page->windowType(), Qt::Window);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        break;
    case Layout::WindowFrame::FixedDialog:
        QCOMPARE(page->windowType(), Qt::Dialog);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        break;
    case Layout::WindowFrame::ToolWindow:
        QCOMPARE(page->windowType(), Qt::Tool);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        break;
    }

    if (table.icon.isEmpty()) {
        QVERIFY(page->windowIcon().isNull());
    } else {
        QVERIFY(page->windowIcon().availableSizes().contains(QSize(32, 32)));
        QCOMPARE(page->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(table.icon).convertToFormat(QImage::Format_ARGB32));
    }

    if (table.centred) {
        page->show();
        const QPoint screenCentre = page->screen()->availableGeometry().center();
        // The window is placed before the desktop gives it a frame: its client area is what is centred.
        const QPoint centre = page->geometry().center();
        QVERIFY2((centre - screenCentre).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("centre at %1,%2").arg(centre.x()).arg(centre.y())));
    }
}

void TstLayouts::elements() {
    QFETCH(QString, name);
    const std::unique_ptr<Page> page = construct(m_bench->wizard(), name);
    for (const Layout::Element& e : page->layoutTable().elements) {
        const QString where = name + QLatin1Char('.') + e.name;
        if (e.kind == Layout::Kind::Timer) {
            auto* timer = page->findChild<QTimer*>(e.name);
            QVERIFY2(timer, qPrintable(where));
            QVERIFY2(!timer->isActive(), qPrintable(where));
            continue;
        }
        auto* w = page->findChild<QWidget*>(e.name);
        QVERIFY2(w, qPrintable(where));
        const QWidget* container =
            e.container.isEmpty() ? page.get() : page->findChild<QWidget*>(e.container);
        QVERIFY2(w->parentWidget() == container, qPrintable(where));
        QCOMPARE(w->geometry(), pixels(e));

        switch (e.kind) {
        case Layout::Kind::Label:
        case Layout::Kind::Button:
        case Layout::Kind::Option:
        case Layout::Kind::Frame:
            QCOMPARE(captionOf(w), e.caption);
            break;
        case Layout::Kind::PictureButton: {
            auto* button = qobject_cast<QAbstractButton*>(w);
            QVERIFY2(button && button->text().isEmpty(), qPrintable(where));
            QCOMPARE(button->accessibleName(), e.caption);
            QCOMPARE(button->iconSize(), QImage(e.picture).size());
            QVERIFY2(!button->icon().isNull(), qPrintable(where));
            break;
        }
        case Layout::Kind::DropDown: {
            auto* list = qobject_cast<QComboBox*>(w);
            QVERIFY2(list && !list->isEditable() && list->count() == 0, qPrintable(where));
            break;
        }
        case Layout::Kind::Picture: {
            auto* picture = qobject_cast<QLabel*>(w);
            QVERIFY2(picture, qPrintable(where));
            QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                     QImage(e.caption).convertToFormat(QImage::Format_RGB32));
            QCOMPARE(picture->frameShape() != QFrame::NoFrame, e.border);
            break;
        }
        case Layout::Kind::HelpPane:
            QVERIFY2(qobject_cast<HelpPane*>(w), qPrintable(where));
            break;
        case Layout::Kind::Custom:
        case Layout::Kind::Timer:
            break;
        }

        if (!e.fontFamily.isEmpty()) {
            const QFontInfo font(w->font());
            QVERIFY2(font.bold(), qPrintable(where));
            QCOMPARE(font.pointSizeF(), e.fontPointSize);
            // The named face, or the face the system gives for serif where it is missing.
            const QString serif = QFontInfo(QFont(QStringLiteral("serif"))).family();
            QVERIFY2(font.family() == e.fontFamily || font.family() == serif, qPrintable(font.family()));
        }
    }
}

// What the colours of the tables look like on screen: backgrounds fill the element, a coloured caption
// is drawn in its colour and the elements inside a container keep the window's text colour.
void TstLayouts::colours() {
    QFETCH(QString, name);
    const std::unique_ptr<Page> page = construct(m_bench->wizard(), name);
    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    const QColor windowText = page->palette().color(QPalette::WindowText);
    for (const Layout::Element& e : page->layoutTable().elements) {
        if (e.kind == Layout::Kind::Timer) continue;
        auto* w = page->findChild<QWidget*>(e.name);
        const QString where = name + QLatin1Char('.') + e.name;
        const QImage image = w->grab().toImage();
        if (e.background.isValid() && e.kind == Layout::Kind::Label) {
            QCOMPARE(image.pixelColor(1, 1), e.background);
            QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), e.background);
        }
        if (e.foreground.isValid() && !captionOf(w).isEmpty() && e.foreground != windowText)
            QVERIFY2(tintedPixels(image, e.foreground) > 10, qPrintable(where));
        if (!e.container.isEmpty() && !e.foreground.isValid() && !captionOf(w).isEmpty()) {
            const Layout::Element* container = page->layoutTable().element(e.container);
            if (container->foreground.isValid())
                QVERIFY2(pixelsOf(image, container->foreground) == 0, qPrintable(where));
        }
    }
}

void TstLayouts::tabOrder() {
    QFETCH(QString, name);
    const std::unique_ptr<Page> page = construct(m_bench->wizard(), name);
    // The order among the elements that take the focus; the others hold places that Tab never visits.
    QList<const Layout::Element*> ordered;
    for (const Layout::Element& e : page->layoutTable().elements) {
        auto* w = e.kind == Layout::Kind::Timer ? nullptr : page->findChild<QWidget*>(e.name);
        if (e.tab >= 0 && w && (w->focusPolicy() & Qt::TabFocus)) ordered << &e;
    }
    std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    QStringList expected;
    for (const Layout::Element* e : ordered)
        expected << e->name;

    QStringList chain;
    QWidget* w = page.get();
    do {
        w = w->nextInFocusChain();
        if (expected.contains(w->objectName()) && !chain.contains(w->objectName())) chain << w->objectName();
    } while (w != page.get());
    QCOMPARE(chain, expected);
}

// Every control can be found by a screen reader, and every button and option says what it is.
void TstLayouts::accessible() {
    QFETCH(QString, name);
    const std::unique_ptr<Page> page = construct(m_bench->wizard(), name);
    page->show();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(page.get());
    QVERIFY(window);
    for (const Layout::Element& e : page->layoutTable().elements) {
        if (e.kind == Layout::Kind::Timer || e.kind == Layout::Kind::Custom) continue;
        auto* w = page->findChild<QWidget*>(e.name);
        const QString where = name + QLatin1Char('.') + e.name;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(control, qPrintable(where));
        QVERIFY2(reachable(window, w), qPrintable(where));
        switch (e.kind) {
        case Layout::Kind::Button:
        case Layout::Kind::PictureButton:
            QCOMPARE(control->role(), QAccessible::Button);
            QVERIFY2(!control->text(QAccessible::Name).isEmpty(), qPrintable(where));
            break;
        case Layout::Kind::Option:
            // A page may take an option out of Qt's exclusive groups; screen readers then call it a check
            // box.
            QVERIFY2(control->role() == QAccessible::RadioButton || control->role() == QAccessible::CheckBox,
                     qPrintable(where));
            QCOMPARE(control->text(QAccessible::Name), e.caption);
            break;
        case Layout::Kind::DropDown:
            QCOMPARE(control->role(), QAccessible::ComboBox);
            break;
        case Layout::Kind::HelpPane:
            QVERIFY2(!control->text(QAccessible::Name).isEmpty(), qPrintable(where));
            break;
        default:
            break;
        }
    }
}

// The splash pane is its picture and a sunken border around it: the whole picture shows.
void TstLayouts::splashPictureInsideItsBorder() {
    SplashScreen splash(m_bench->wizard());
    auto* pane = splash.control<QLabel>("Picture1");
    QCOMPARE(pane->contentsRect().size(), pane->pixmap().size());
    QCOMPARE(pane->contentsRect().topLeft(), QPoint(2, 2));
}

void TstLayouts::sharedTitles() {
    QMap<QString, QStringList> windowsByTitle;
    for (const Layout::Window* table : Layout::allWindows()) {
        const std::unique_ptr<Page> page = construct(m_bench->wizard(), table->name);
        if (!page->windowTitle().isEmpty()) windowsByTitle[page->windowTitle()] << page->objectName();
    }
    QCOMPARE(windowsByTitle.value("Step 1: Detection of the printer"),
             (QStringList{"Step1", "PortSelection"}));
    QCOMPARE(windowsByTitle.value("Step 3: Calibration of the opto-sensor"),
             (QStringList{"ChanReflectModeFrm", "Step3"}));
    for (auto it = windowsByTitle.cbegin(); it != windowsByTitle.cend(); ++it)
        if (it.value().size() > 1)
            QVERIFY2(it.key().startsWith("Step 1:") || it.key().startsWith("Step 3:"), qPrintable(it.key()));
}

// The captions that move the wizard keep two blanks between the word and the arrow, on every page.
void TstLayouts::buttonCaptions() {
    int back = 0, next = 0;
    for (const Layout::Window* table : Layout::allWindows()) {
        const std::unique_ptr<Page> page = construct(m_bench->wizard(), table->name);
        if (auto* button = page->findChild<QAbstractButton*>("Back")) {
            QCOMPARE(button->text(), QStringLiteral("<--  Back"));
            ++back;
        }
        if (auto* button = page->findChild<QAbstractButton*>("Next")) {
            QCOMPARE(button->text(), QStringLiteral("Next  -->"));
            ++next;
        }
        if (auto* button = page->findChild<QAbstractButton*>("Exit"))
            QCOMPARE(button->text(), QStringLiteral("Exit"));
    }
    QCOMPARE(back, 5);
    QCOMPARE(next, 3);
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
    QTest::newRow("icon A") << ":/icon-a.png" << QSize(32, 32);
    QTest::newRow("icon B") << ":/icon-b.png" << QSize(32, 32);
    QTest::newRow("icon C") << ":/icon-c.png" << QSize(32, 32);
}

void TstLayouts::pictures() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
}

void TstLayouts::threeDifferentIcons() {
    const QImage a(":/icon-a.png"), b(":/icon-b.png"), c(":/icon-c.png");
    QVERIFY(a != b);
    QVERIFY(b != c);
    QVERIFY(a != c);
    int sharingA = 0;
    for (const Layout::Window* table : Layout::allWindows())
        if (table->icon == ":/icon-a.png") ++sharingA;
    QCOMPARE(sharingA, 5);
}

QTEST_MAIN(TstLayouts)
#include "tst_layouts.moc"
