#pragma once

#include "record.h"

#include <QRectF>
#include <QSizeF>

class QPainter;

// Draws a record on any QPainter, in logical pixels: the chart as the monitor page draws it (grid, value
// labels, time base, reference lines, trace with its gaps) on a white ground, and the block under it.
namespace Record {

// The chart's drawing area on the page (the graph pane inside its border).
inline constexpr QSizeF kChartSize{343, 247};
inline constexpr double kMargin = 8;
inline constexpr double kLineHeight = 15;

// The whole record's size in logical pixels.
QSizeF size(const Sheet& sheet);
// Where the chart stands in the record; empty for the block alone.
QRectF chartArea(const Sheet& sheet);
void paint(QPainter& painter, const Sheet& sheet);

} // namespace Record
