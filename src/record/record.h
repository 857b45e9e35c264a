#pragma once

#include "link/sharedstate.h"
#include "printer/outcome.h"
#include "printer/samplestore.h"

#include <QColor>
#include <QDateTime>
#include <QPointF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The record for a service ticket, as data: which printer and sensor, the stored parameters, the samples,
// and when. The monitor page and veltaro-cli fill one; recordpainter.h draws it on any QPainter from the
// chart's own geometry (chartgeometry.h), and recordfile.h writes it as a picture, a PDF or the samples.
namespace Record {

struct Sheet {
    QString printerName; // empty: the printer was not asked its name
    qint16 port = 0;
    QString device;
    QString speed;        // the printer's own speed, which it goes back to after monitoring
    qint16 handshake = 0; // 1 XON/XOFF, 2 hardware
    Printer::Sensor sensor = Printer::Sensor::PrinterOpto;
    std::optional<OptoParameterBlock> params; // read for the printer sensor
    bool chart = true;                        // false: the block alone
    std::vector<Printer::Sample> samples;
    QDateTime taken;
};

struct Line {
    QString text;
    std::optional<QColor> background;
};

// The parameter block's six lines as the parameter sheet shows them, on the sheet's colours: the type,
// then the five levels and thresholds, each on the colour of its reference line.
std::array<Line, 6> parameterLines(const OptoParameterBlock& params);

// The block under the chart: printer, port and device, speed and flow control, sensor and mode, the
// parameter lines, the near-end state where it was read, the time (local, ISO 8601) and the program.
std::vector<Line> blockLines(const Sheet& sheet);

// The time the chart's axis spans: one sweep, or the samples' own span when they cover more.
qint64 spanMs(const std::vector<Printer::Sample>& samples);
QString timeBaseText(qint64 spanMs);

// The trace in the chart's user coordinates: runs of joined points, a run ending at a missing sample. The
// oldest sample stands at x = 0 and the axis spans spanMs().
std::vector<std::vector<QPointF>> traceRuns(const std::vector<Printer::Sample>& samples);

} // namespace Record
