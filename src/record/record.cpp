#include "record.h"

#include "chartgeometry.h"
#include "identity.h"

#include <QCoreApplication>

#include <algorithm>

namespace Record {

namespace {
const QColor kTypeColour{255, 192, 255};

// The record speaks the wizard's language; veltaro-cli installs no translation and writes it in English.
QString translated(const char* text) { // a text marked with QT_TRANSLATE_NOOP("Record", ...)
    return QCoreApplication::translate("Record", text);
}

QString flowText(qint16 handshake) {
    return handshake == 2 ? QCoreApplication::translate("Record", "DSR/DTR Mode")
                          : QCoreApplication::translate("Record", "Xon-Xoff");
}

QString printerLine(const Sheet& sheet) {
    return QCoreApplication::translate("Record", "Printer: %1")
        .arg(sheet.printerName.isEmpty()
                 ? QCoreApplication::translate("Record", "(not asked: the link was given)")
                 : sheet.printerName);
}

QString sensorLine(const Sheet& sheet) {
    if (sheet.sensor == Printer::Sensor::NearEnd)
        return QCoreApplication::translate("Record", "Sensor: Near End Of Paper opto-sensor");
    if (!sheet.params) return QCoreApplication::translate("Record", "Sensor: printer opto-sensor");
    return sheet.params->optoType != 0
               ? QCoreApplication::translate("Record", "Sensor: printer opto-sensor, transmissive")
               : QCoreApplication::translate("Record", "Sensor: printer opto-sensor, reflective");
}

std::optional<QString> nearEndLine(const Sheet& sheet) {
    const auto last = std::find_if(sheet.samples.rbegin(), sheet.samples.rend(),
                                   [](const Printer::Sample& s) { return s.nearEnd.has_value(); });
    if (last == sheet.samples.rend()) return std::nullopt;
    return *last->nearEnd == 1 ? QCoreApplication::translate("Record", "Near-end state: paper near its end")
                               : QCoreApplication::translate("Record", "Near-end state: enough paper");
}
} // namespace

std::array<Line, 6> parameterLines(const OptoParameterBlock& params) {
    const std::array<Chart::ReferenceLine, 5> colours = Chart::referenceLines(params);
    const auto line = [&](const char* label, int value, size_t i) {
        return Line{translated(label).arg(value), colours[i].colour};
    };
    return {{
        {params.optoType != 0 ? QCoreApplication::translate("Record", "Transmitive Optosensor")
                              : QCoreApplication::translate("Record", "Reflective Optosensor"),
         kTypeColour},
        line(QT_TRANSLATE_NOOP("Record", "Black Level : %1"), params.blackLevel, 0),
        line(QT_TRANSLATE_NOOP("Record", "Mark / Backing Level : %1"), params.markLevel, 1),
        line(QT_TRANSLATE_NOOP("Record", "Paper Level : %1"), params.paperLevel, 2),
        line(QT_TRANSLATE_NOOP("Record", "Paper Threshold : %1"), params.paperThreshold, 3),
        line(QT_TRANSLATE_NOOP("Record", "Mark / Backing Threshold : %1"), params.markThreshold, 4),
    }};
}

std::vector<Line> blockLines(const Sheet& sheet) {
    std::vector<Line> lines;
    lines.push_back({printerLine(sheet), {}});
    lines.push_back(
        {QCoreApplication::translate("Record", "Port: COM%1, %2").arg(sheet.port).arg(sheet.device), {}});
    lines.push_back({QCoreApplication::translate("Record", "Speed: %1 bauds, %2")
                         .arg(sheet.speed, flowText(sheet.handshake)),
                     {}});
    lines.push_back({sensorLine(sheet), {}});
    if (sheet.params)
        for (const Line& line : parameterLines(*sheet.params))
            lines.push_back(line);
    if (const std::optional<QString> nearEnd = nearEndLine(sheet)) lines.push_back({*nearEnd, {}});
    lines.push_back({QCoreApplication::translate("Record", "Recorded: %1")
                         .arg(sheet.taken.toOffsetFromUtc(sheet.taken.offsetFromUtc()).toString(Qt::ISODate)),
                     {}});
    lines.push_back(
        {QCoreApplication::translate("Record", "Recorded by %1").arg(Identity::kProductName), {}});
    return lines;
}

qint64 spanMs(const std::vector<Printer::Sample>& samples) {
    if (samples.empty()) return Chart::kSweepMs;
    return std::max<qint64>(Chart::kSweepMs, samples.back().ms - samples.front().ms);
}

QString timeBaseText(qint64 spanMs) {
    return QCoreApplication::translate("Record", "Time base: %1ms").arg(spanMs / Chart::kTimeDivisions);
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
