#pragma once

#include "layout.h"

#include <functional>

class QWidget;

// Turns a window table into widgets: every element becomes a child widget named after it, placed and
// sized from its twips, with its caption, colours and font, inside its container, in the table's tab
// order. The window gets its title, frame, icon and fixed client size.
namespace LayoutBuilder {

// Builds the elements of kind Custom (the strip chart); returns the widget, parented to `parent`.
using CustomFactory = std::function<QWidget*(const Layout::Element&, QWidget* parent)>;

void build(QWidget* window, const Layout::Window& layout, const CustomFactory& custom = {});

// Puts a window in the middle of the screen it is on.
void centre(QWidget* window);

} // namespace LayoutBuilder
