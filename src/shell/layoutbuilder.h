#pragma once

#include "layout.h"

#include <functional>
#include <initializer_list>

class QAbstractButton;
class QObject;
class QWidget;

// Turns a window table into widgets: every element becomes a child widget named after it, placed and
// sized from its twips, with its caption, colours and font, inside its container, in the table's tab
// order. The window gets its title, frame, icon and fixed client size. Options of one choice exclude one
// another (across containers through an exclusive QButtonGroup named after the choice), a label placed
// just before a drop-down list names that list, and Enter presses the button that has the focus.
namespace LayoutBuilder {

// Builds the elements of kind Custom (the strip chart); returns the widget, parented to `parent`.
using CustomFactory = std::function<QWidget*(const Layout::Element&, QWidget* parent)>;

void build(QWidget* window, const Layout::Window& layout, const CustomFactory& custom = {});

// Puts a window in the middle of the screen it is on.
void centre(QWidget* window);

// Runs the handler each time the option becomes selected, whatever selected it: a click, the keys, a
// screen reader's action or the program itself.
void onSelected(QAbstractButton* option, QObject* context, std::function<void()> handler);
// What a tooltip and a screen reader tell about an element beyond its caption.
void describe(QWidget* w, const QString& description);
// Clears the options, also where they are one choice, which a user can change but never clear.
void clearOptions(std::initializer_list<QAbstractButton*> options);

} // namespace LayoutBuilder
