#include "record.h"

#include "chartgeometry.h"
#include "identity.h"

#include <algorithm>

namespace Record {

namespace {
const QColor kTypeColour{255, 192, 255};

QString flowText(qint16 handshake) {
    return handshake == 2 ? QStringLiteral("DSR/DTR Mode") : QStringLiteral("Xon-Xoff");
}

QString printerLine(const Sheet& sheet) {
    return QStringLiteral("Printer: ") +
           (sheet.printerName.isEmpty() ? QStringLiteral("(not asked: the link was given)") : sheet.printerName);
}

QString sensorLine(const Sheet& sheet) {
    if (sheet.sensor == Printer::Sensor::NearEnd) return QStringLiteral("Sensor: Near End Of Paper opto-sensor");
    QString line = QStringLiteral("Sensor: printer opto-sensor");
    if (sheet.params)
        line += sheet.params->optoType != 0 ? QStringLiteral(", transmissive") : QStringLiteral(", reflective");
    return line;
}

std::optional<QString> nearEndLine(const Sheet& sheet) {
    const auto last = std::find_if(sheet.samples.rbegin(), sheet.samples.rend(),
                                   [](const Printer::Sample& s) { return s.nearEnd.has_value(); });
    if (last == sheet.samples.rend()) return std::nullopt;
    return QStringLiteral("Near-end state: ") +
           (*last->nearEnd == 1 ? QStringLiteral("paper near its end") : QStringLiteral("enough paper"));
}
} // namespace

std::array<Line, 6> parameterLines(const OptoParameterBlock& params) {
    const std::array<Chart::ReferenceLine, 5> colours = Chart::referenceLines(params);
    const auto line = [&](const char* label, int value, size_t i) {
        return Line{QString::fromLatin1(label) + QString::number(value), colours[i].colour};
    };
    return {{
        {params.optoType != 0 ? QStringLiteral("Transmitive Optosensor") : QStringLiteral("Reflective Optosensor"),
         kTypeColour},
        line("Black Level : ", params.blackLevel, 0),
        line("Mark / Backing Level : ", params.markLevel, 1),
        line("Paper Level : ", params.paperLevel, 2),
        line("Paper Threshold : ", params.paperThreshold, 3),
        line("Mark / Backing Threshold : ", params.markThreshold, 4),
    }};
}

std::vector<Line> blockLines(const Sheet& sheet) {
    std::vector<Line> lines;
    lines.push_back({printerLine(sheet), {}});
    lines.push_back({QStringLiteral("Port: COM%1, %2").arg(sheet.port).arg(sheet.device), {}});
    lines.push_back({QStringLiteral("Speed: %1 bauds, %2").arg(sheet.speed, flowText(sheet.handshake)), {}});
    lines.push_back({sensorLine(sheet), {}});
    if (sheet.params)
        for (const Line& line : parameterLines(*sheet.params))
            lines.push_back(line);
    if (const std::optional<QString> nearEnd = nearEndLine(sheet)) lines.push_back({*nearEnd, {}});
    lines.push_back({QStringLiteral("Recorded: ") + sheet.taken.toOffsetFromUtc(sheet.taken.offsetFromUtc())
                                                        .toString(Qt::ISODate),
                     {}});
    lines.push_back({QStringLiteral("Recorded by ") + Identity::kProductName, {}});
    return lines;
}

qint64 spanMs(const std::vector<Printer::Sample>& samples) {
    if (samples.empty()) return Chart::kSweepMs;
    return std::max<qint64>(Chart::kSweepMs, samples.back().ms - samples.front().ms);
}

QString timeBaseText(qint64 spanMs) {
    return QStringLiteral("Time base: ") + QString::number(spanMs / Chart::kTimeDivisions) + QStringLiteral("ms");
}

std::vector<std::vector<QPointF>> traceRuns(const std::vector<Printer::Sample>& samples) {
    std::vector<std::vector<QPointF>> runs;
    if (samples.empty()) return runs;
    const double span = double(spanMs(samples));
    const qint64 first = samples.front().ms;
    bool broken = true;
    for (const Printer::Sample& s : samples) {
        if (!s.value) {
            broken = true;
            continue;
        }
        if (broken) runs.emplace_back();
        broken = false;
        runs.back().push_back({double(s.ms - first) * Chart::kSweepWidth / span, double(*s.value)});
    }
    return runs;
}

} // namespace Record
