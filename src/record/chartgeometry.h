#pragma once

#include "link/sharedstate.h"

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QtGlobal>

#include <array>

// The strip chart as numbers, apart from any widget: the user coordinates of the graph, where a sample
// of a sweep lands, and what the grid consists of. One x unit is 100 ms of sampling time; y is the
// sensor reading on the printer's 0-255 scale, growing upwards.
namespace Chart {

// A picture pane's user scale, given by the values at its corners.
struct UserScale {
    double left, top, right, bottom;
};
inline constexpr UserScale kUserScale{-3.0, 290.0, 31.0, -20.0};

// Where a point in user coordinates falls on a drawing area of `area` pixels (0,0 at its top left).
QPointF toPixels(const UserScale& scale, QPointF user, QSizeF area);

inline constexpr int kSampleIntervalMs = 50;
inline constexpr int kSamplesPerSweep = 60;
inline constexpr int kSweepMs = kSampleIntervalMs * kSamplesPerSweep;
inline constexpr int kTimeDivisions = 6;
inline constexpr double kSweepWidth = 30.0; // x at the end of the time axis

// "Time base: 500ms": one division of the time axis.
QString timeBaseText();

// Rounds to the nearest integer, a value exactly halfway going to the even neighbour (2.5 -> 2).
qint16 roundHalfEven(double value);

// What one sample does to the chart. `tickCount` is the sample's number in its sweep, 1 to 60. The 60th
// sample ends the sweep: the chart is cleared and the grid drawn again first, and its stroke runs at
// x = 0, from the last point of the old sweep to the new reading.
struct SweepStep {
    double t0 = 0, t1 = 0; // ms since the start of the sweep
    qint16 x0 = 0, x1 = 0; // whole x units: the trace advances by half a unit per sample, rounded
    bool endOfSweep = false;
};
SweepStep sweepStep(qint16 tickCount);

inline const QColor kAxisColour{0, 0, 0};
inline const QColor kTraceColour{255, 0, 0};
inline constexpr int kGridWidth = 1;
inline constexpr int kTraceWidth = 2;

struct Tick {
    QPointF from, to;
};
// The time axis, the value axis, then seven time ticks (one per 500 ms) and nine value ticks (0 to 256
// in steps of 32), in drawing order.
const std::array<Tick, 18>& gridStrokes();

struct Label {
    QString text;
    QPointF topLeft;
};
// The value labels. 192 stands at 201, a unit lower than the pattern of the others.
const std::array<Label, 5>& valueLabels();
inline constexpr QPointF kTimeBaseAt{18.0, -5.0};

struct ReferenceLine {
    int value;
    QColor colour;
};
// The five stored levels and thresholds of the printer's sensor, in drawing order: a later line covers
// an earlier one at the same height. Their colours are the backgrounds of the parameter sheet's lines.
std::array<ReferenceLine, 5> referenceLines(const OptoParameterBlock& params);

} // namespace Chart
