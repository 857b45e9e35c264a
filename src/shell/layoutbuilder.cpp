#include "layoutbuilder.h"

#include "helppane.h"
#include "language.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace LayoutBuilder {
namespace {

using Layout::Kind;

// The tables hold the English captions; the window shows them in the language in use.
QString translated(const QString& caption) {
    return caption.isEmpty() ? caption : QCoreApplication::translate("Layout", caption.toUtf8().constData());
}

// A picture with words in it (the monitor's paper states) has one drawn in each language beside it,
// "state-enough-de.png" beside "state-enough.png"; any other picture is the same in every language.
QString pictureOf(const QString& path) {
    const QString language = Language::current();
    if (language == Language::kEnglish || !path.endsWith(QLatin1String(".png"))) return path;
    const QString own = path.chopped(4) + QLatin1Char('-') + language + QLatin1String(".png");
    return QFile::exists(own) ? own : path;
}

QRect pixelRect(const Layout::Element& e) {
    const bool wider = e.translatedWidth > 0 && translated(e.caption) != e.caption;
    return QRect(Layout::toPixels(e.left), Layout::toPixels(e.top),
                 Layout::toPixels(wider ? e.translatedWidth : e.width), Layout::toPixels(e.height));
}

void applyColours(QWidget* w, const Layout::Element& e) {
    if (!e.foreground.isValid() && !e.background.isValid()) return;
    QPalette palette = w->palette();
    if (e.foreground.isValid()) {
        palette.setColor(QPalette::WindowText, e.foreground);
        palette.setColor(QPalette::ButtonText, e.foreground);
    }
    if (e.background.isValid()) {
        palette.setColor(QPalette::Window, e.background);
        w->setAutoFillBackground(true);
    }
    w->setPalette(palette);
}

// A container's text colour is its caption's (the green "Serial Port"); Qt would hand it down to the
// elements inside, which keep the window's.
void keepOwnTextColour(QWidget* w, const QWidget* window) {
    const QPalette& own = window->palette();
    QPalette palette = w->palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        palette.setColor(role, own.color(role));
    w->setPalette(palette);
}

void applyFont(QWidget* w, const Layout::Element& e) {
    if (e.fontFamily.isEmpty()) return;
    QFont font(e.fontFamily);
    // Where the named face is missing, a face of the same kind stands in.
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(e.fontPointSize);
    font.setBold(e.bold);
    w->setFont(font);
}

// A button that is disabled while it has the focus (Next while the printer is asked, Detect Printer while it
// probes) takes the focus back once it works again, unless the user has moved the focus meanwhile. Qt
// leaves the focus on the next element of the tab order, and the Enter meant for Next would press Exit.
class PageButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    bool focusNextPrevChild(bool next) override {
        const bool handingOn = !isEnabled(); // Qt hands the focus of a button it disables on this way
        const bool moved = QPushButton::focusNextPrevChild(next);
        if (handingOn) {
            m_focusLost = true;
            m_standIn = window()->focusWidget();
        }
        return moved;
    }
    void changeEvent(QEvent* event) override {
        QPushButton::changeEvent(event);
        if (event->type() != QEvent::EnabledChange || !isEnabled() || !m_focusLost) return;
        m_focusLost = false;
        if (window()->focusWidget() == m_standIn.data()) setFocus(Qt::OtherFocusReason);
    }

private:
    bool m_focusLost = false;
    QPointer<QWidget> m_standIn;
};

QWidget* makeWidget(const Layout::Element& e, QWidget* parent, const CustomFactory& custom) {
    switch (e.kind) {
    case Kind::HelpPane:
        return new HelpPane(parent);
    case Kind::Label: {
        auto* label = new QLabel(translated(e.caption), parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::Button: {
        auto* button = new PageButton(translated(e.caption), parent);
        button->setAutoDefault(true);
        return button;
    }
    case Kind::PictureButton: {
        auto* button = new PageButton(parent);
        button->setAutoDefault(true);
        const QPixmap picture(e.picture);
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
        button->setAccessibleName(translated(e.caption));
        button->setToolTip(translated(e.caption));
        return button;
    }
    case Kind::Frame:
        return new QGroupBox(translated(e.caption), parent);
    case Kind::Option:
        return new QRadioButton(translated(e.caption), parent);
    case Kind::DropDown: {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        return list;
    }
    case Kind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setPixmap(QPixmap(pictureOf(e.caption)));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (e.border) {
            // The sunken 3-D border is two pixels wide: the splash pane is its picture plus that border.
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            picture->setLineWidth(2);
        }
        return picture;
    }
    case Kind::Custom:
        return custom ? custom(e, parent) : new QWidget(parent);
    case Kind::Timer:
        break;
    }
    return nullptr;
}

// Puts the elements that take the focus at the end of the window's focus chain, in the table's order,
// so that the first of them has the focus when the window opens. Qt 6.4 leaves the chain as it is when
// asked to move a widget behind the last one before the window; two bookends keep every move inside.
void chainFocus(QWidget* window, const std::vector<std::pair<int, QWidget*>>& ordered) {
    if (ordered.empty()) return;
    QWidget front(window), back(window);
    front.setFocusPolicy(Qt::TabFocus);
    back.setFocusPolicy(Qt::TabFocus);
    QWidget* previous = &front;
    for (const auto& [tab, w] : ordered) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
    // Given now, not when the window is first activated: a first element that is disabled meanwhile
    // (Next while the mode is read) then gets it back.
    ordered.front().second->setFocus(Qt::OtherFocusReason);
}

// Options in different containers are one choice only through a group of their own: Qt's automatic
// exclusivity reaches the options of one container, and without it a screen reader hears check boxes.
void joinChoice(QWidget* window, QWidget* option, const Layout::Element& e) {
    if (e.kind != Kind::Option || e.choice.isEmpty()) return;
    auto* group = window->findChild<QButtonGroup*>(e.choice, Qt::FindDirectChildrenOnly);
    if (!group) {
        group = new QButtonGroup(window);
        group->setObjectName(e.choice);
        group->setExclusive(true);
    }
    group->addButton(qobject_cast<QAbstractButton*>(option));
}

// A caption such as "Baudrate:" just above a list is what a screen reader names the list by.
void nameList(QWidget* previous, QWidget* w, const Layout::Element& e) {
    auto* label = qobject_cast<QLabel*>(previous);
    if (e.kind == Kind::DropDown && label && label->parentWidget() == w->parentWidget()) label->setBuddy(w);
}

void applyWindow(QWidget* window, const Layout::Window& layout) {
    window->setObjectName(layout.name);
    window->setWindowTitle(translated(layout.title));
    if (!layout.icon.isEmpty()) window->setWindowIcon(QIcon(layout.icon));
    Qt::WindowFlags flags;
    switch (layout.frame) {
    case Layout::WindowFrame::None:
        flags = Qt::SplashScreen | Qt::FramelessWindowHint;
        break;
    case Layout::WindowFrame::FixedSingle:
        flags = Qt::Window;
        break;
    case Layout::WindowFrame::FixedDialog:
        flags = Qt::Dialog;
        break;
    case Layout::WindowFrame::ToolWindow:
        flags = Qt::Tool;
        break;
    }
    if (layout.frame != Layout::WindowFrame::None)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint;
    window->setWindowFlags(flags);
    window->setFixedSize(Layout::toPixels(layout.clientWidth), Layout::toPixels(layout.clientHeight));
}

} // namespace

void build(QWidget* window, const Layout::Window& layout, const CustomFactory& custom) {
    applyWindow(window, layout);
    QHash<QString, QWidget*> built;
    std::vector<std::pair<int, QWidget*>> tabOrder;
    QWidget* previous = nullptr;
    for (const Layout::Element& e : layout.elements) {
        QWidget* parent = e.container.isEmpty() ? window : built.value(e.container, window);
        if (e.kind == Kind::Timer) {
            auto* timer = new QTimer(window);
            timer->setObjectName(e.name);
            continue;
        }
        QWidget* w = makeWidget(e, parent, custom);
        w->setObjectName(e.name);
        w->setGeometry(pixelRect(e));
        if (parent != window) keepOwnTextColour(w, window);
        applyColours(w, e);
        applyFont(w, e);
        built.insert(e.name, w);
        joinChoice(window, w, e);
        nameList(previous, w, e);
        previous = w;
        // Labels, frames and pictures hold a place in the table's order but never take the focus; Qt
        // would break the chain at them.
        if (e.tab >= 0 && (w->focusPolicy() & Qt::TabFocus)) tabOrder.emplace_back(e.tab, w);
    }
    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    chainFocus(window, tabOrder);
    if (layout.centred) centre(window);
}

void centre(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    // The frame is the desktop's and not known before the window first shows: the client area is centred.
    window->setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(), screen->availableGeometry()));
}

void onSelected(QAbstractButton* option, QObject* context, std::function<void()> handler) {
    QObject::connect(option, &QAbstractButton::toggled, context, [handler = std::move(handler)](bool on) {
        if (on) handler();
    });
}

void describe(QWidget* w, const QString& description) {
    w->setToolTip(description);
    w->setAccessibleDescription(description);
}

void clearOptions(std::initializer_list<QAbstractButton*> options) {
    for (QAbstractButton* option : options) {
        QButtonGroup* group = option->group();
        const bool exclusive = group && group->exclusive();
        const bool autoExclusive = option->autoExclusive();
        if (group) group->setExclusive(false);
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(autoExclusive);
        if (group) group->setExclusive(exclusive);
    }
}

} // namespace LayoutBuilder
