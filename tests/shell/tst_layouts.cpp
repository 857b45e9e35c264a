// Every window as built against its layout table: places, containers, fonts, colours, tab order and what
// a screen reader hears come from the tables; what the user reads (titles, captions with their two blanks,
// icons, client sizes) and the pictures' sizes are written out here.
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

    void twipsToPixels();
    void window_data();
    void window();
    void pictures();

private:
    std::unique_ptr<Bench> m_bench;
};

// A third of a pixel rounds down, two thirds round up.
void TstLayouts::twipsToPixels() {
    QCOMPARE((QList<int>{Layout::toPixels(1575), Layout::toPixels(2350), Layout::toPixels(3485)}),
             (QList<int>{105, 157, 232}));
}

void TstLayouts::window_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QString>("captions"); // what the user reads, in the table's order
    const QString step1 = "Step 1: Detection of the printer",
                  step3 = "Step 3: Calibration of the opto-sensor";
    const QString moves = "|Exit|<--  Back|Next  -->";
    QTest::newRow("SplashScreen") << ""
                                  << "" << QSize(378, 281) << "";
    QTest::newRow("Step1") << step1 << "a" << QSize(365, 312) << "Exit|Manual Detection|Start";
    QTest::newRow("PortSelection") << step1 << "b" << QSize(361, 312)
                                   << "Serial Port|COM 1|COM 2|COM 3|COM 4|COM 5|COM 6|Baudrate:|Handshake:|"
                                      "Detect Printer" +
                                          moves;
    QTest::newRow("Step2") << "Step 2: Opto-sensor selection"
                           << "a" << QSize(359, 310)
                           << "Optosensor selection|Printer opto-sensor|Near End Of Paper opto-sensor|Action "
                              "selection|Monitor the opto-sensor|Calibrate the opto-sensor" +
                                  moves + "|Help";
    QTest::newRow("ChanReflectModeFrm")
        << step3 << "a" << QSize(363, 310) << "Reflective|Transmitive" + moves;
    QTest::newRow("Step3") << step3 << "a" << QSize(359, 310) << "Exit|<--  Back|Calibrate";
    QTest::newRow("MonitorFrm") << "Monitoring the opto-sensors"
                                << "a" << QSize(359, 310) << "Exit|<--  Back|Check Parameters";
    QTest::newRow("PrintParam")
        << "Printer opto parameters"
        << "" << QSize(210, 95)
        << "Opto Type|Black Level|Mark Level|Paper Level|Paper Threshold|Mark Threshold";
    QTest::newRow("HelpFrm") << "Help"
                             << "c" << QSize(365, 312) << "Close Help";
}

// Client size, frame, title, icon, placement, every element and the tab order.
void TstLayouts::window() {
    QFETCH(QString, title);
    QFETCH(QString, icon);
    QFETCH(QSize, client);
    QFETCH(QString, captions);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const std::unique_ptr<Page> page = construct(m_bench->wizard(), name);
    const Layout::Window& table = page->layoutTable();
    QCOMPARE(page->objectName(), name);
    QCOMPARE(page->windowTitle(), title);
    QVERIFY(page->size() == client && page->minimumSize() == client && page->maximumSize() == client);
    const Qt::WindowFlags flags = page->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    const QMap<Layout::WindowFrame, Qt::WindowType> types{{Layout::WindowFrame::FixedSingle, Qt::Window},
                                                          {Layout::WindowFrame::FixedDialog, Qt::Dialog},
                                                          {Layout::WindowFrame::ToolWindow, Qt::Tool}};
    if (table.frame == Layout::WindowFrame::None)
        QVERIFY(flags & Qt::FramelessWindowHint);
    else
        QVERIFY(page->windowType() == types.value(table.frame) && (flags & Qt::WindowCloseButtonHint));
    const auto image = [](const QIcon& i) {
        return i.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    QCOMPARE(image(page->windowIcon()), icon.isEmpty() ? QImage() : image(QIcon(":/icon-" + icon + ".png")));

    page->show();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    if (table.centred) { // placed before the desktop gives it a frame: its client area is what is centred
        const QPoint offset = page->geometry().center() - page->screen()->availableGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QString::number(offset.manhattanLength())));
    }

    // Each element's place, container, caption, font, colours and what a screen reader hears of it.
    QStringList read;
    const QColor windowText = page->palette().color(QPalette::WindowText);
    for (const Layout::Element& e : table.elements) {
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
        const QString caption =
            e.kind == Layout::Kind::PictureButton ? access->text(QAccessible::Name) : captionOf(w);
        if (!caption.isEmpty()) read << caption;

        switch (e.kind) {
        case Layout::Kind::Option: {
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
            break;
        }
        case Layout::Kind::PictureButton: {
            auto* button = qobject_cast<QAbstractButton*>(w);
            QVERIFY2(button && button->text().isEmpty() && !button->icon().isNull(), where);
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
            QVERIFY2(font.bold() && font.pointSizeF() == e.fontPointSize, where);
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
        if (e.foreground.isValid() && !caption.isEmpty() && e.foreground != windowText) {
            // Small antialiased glyphs rarely reach the colour itself, but their strokes are of its hue.
            const int tinted = countPixels(image, [&](const QColor& c) {
                return c.hsvSaturation() > 80 && qAbs(c.hsvHue() - e.foreground.hsvHue()) < 20;
            });
            QVERIFY2(tinted > 10, where);
        }
        const QColor inherited = e.container.isEmpty() ? QColor() : table.element(e.container)->foreground;
        if (inherited.isValid() && !e.foreground.isValid() && !caption.isEmpty())
            QVERIFY2(countPixels(image, [&](const QColor& c) { return c.rgb() == inherited.rgb(); }) == 0,
                     where);
    }
    QCOMPARE(read.join('|'), captions);

    // The order among the elements that take the focus; the others hold places that Tab never visits.
    QList<const Layout::Element*> ordered;
    for (const Layout::Element& e : table.elements) {
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

// The pictures at the size the windows are laid out for, and three icons that tell the windows apart.
void TstLayouts::pictures() {
    const QList<std::pair<const char*, QSize>> pictures{
        {":/splash.jpg", {357, 261}},         {":/chart-background.jpg", {343, 247}},
        {":/mode-reflective.png", {80, 136}}, {":/mode-transmissive.png", {80, 136}},
        {":/state-enough.png", {117, 24}},    {":/state-neop.png", {137, 24}},
        {":/help-button.png", {12, 16}}};
    for (const auto& [path, size] : pictures)
        QVERIFY2(QImage(path).size() == size, path);
    const QImage a(":/icon-a.png"), b(":/icon-b.png"), c(":/icon-c.png");
    QVERIFY(!a.isNull() && a != b && b != c && a != c);
}

QTEST_MAIN(TstLayouts)
#include "tst_layouts.moc"
