#pragma once

#include <QColor>
#include <QString>

#include <vector>

// Window layouts as data: one table per window, with positions and sizes in twips (1/1440 inch; 15 twips
// make one pixel at 96 dots per inch) measured from the top-left corner of the element's container.
// LayoutBuilder turns a table into widgets; no page sets a geometry by hand.
namespace Layout {

enum class Kind {
    HelpPane, // HTML help page (QTextBrowser)
    Label,
    Button,
    PictureButton, // a button that shows only its picture; its caption is its accessible name
    Frame,         // group box
    Option,        // option button
    DropDown,      // drop-down list that takes only its own entries
    Picture,       // picture pane
    Timer,         // not visible
    Custom,        // built by the page (the strip chart)
};

enum class WindowFrame { None, FixedSingle, FixedDialog, ToolWindow };

struct Element {
    QString name;
    Kind kind;
    QString caption{};   // the caption; for pictures the resource path of the picture
    QString container{}; // empty: the window itself
    int left = 0, top = 0, width = 0, height = 0;
    int tab = -1;         // position in the tab order, -1 when the element takes no focus
    QColor foreground{};  // invalid: the default
    QColor background{};  // invalid: the default
    bool border = true;   // picture panes: sunken border, or none
    QString fontFamily{}; // empty: the system's dialog font
    qreal fontPointSize = 0;
    bool bold = false;
    QString picture{}; // picture buttons: the resource path of the picture they show
    // Options: the options of one container are one choice; options in different containers that are one
    // choice all the same share a name here.
    QString choice{};
    // A caption in another language than English may take this width (twips) where the element has free
    // room beside it; 0: the element keeps its width in every language.
    int translatedWidth = 0;
};

struct Window {
    QString name;
    QString title;
    WindowFrame frame;
    int clientWidth, clientHeight;
    bool centred;
    QString icon; // resource path, empty for none
    std::vector<Element> elements;

    const Element* element(const QString& elementName) const;
};

constexpr int kTwipsPerPixel = 15;
inline int toPixels(int twips) {
    return (twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

const Window& splashScreen();
const Window& step1();
const Window& portSelection();
const Window& step2();
const Window& chanReflectModeFrm();
const Window& step3();
const Window& monitorFrm();
const Window& printParam();
const Window& helpFrm();
const std::vector<const Window*>& allWindows();

} // namespace Layout
