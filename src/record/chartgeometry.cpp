#include "chartgeometry.h"

#include <cmath>

namespace Chart {

QPointF toPixels(const UserScale& scale, QPointF user, QSizeF area) {
    return {(user.x() - scale.left) * area.width() / (scale.right - scale.left),
            (user.y() - scale.top) * area.height() / (scale.bottom - scale.top)};
}

QString timeBaseText() {
    return QStringLiteral("Time base: ") + QString::number(kSweepMs / kTimeDivisions) + QStringLiteral("ms");
}

qint16 roundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0)) return qint16(below + 1);
    return qint16(below);
}

SweepStep sweepStep(qint16 tickCount) {
    SweepStep step;
    // The times are whole 16-bit numbers first, as the sample counter is.
    const qint16 t0 = qint16((tickCount - 1) * kSampleIntervalMs);
    const qint16 t1 = qint16(tickCount * kSampleIntervalMs);
    step.t0 = t0;
    step.t1 = t1;
    if (t1 == kSweepMs) {
        step.endOfSweep = true;
        step.t0 = 0;
        step.t1 = 0;
    }
    step.x0 = roundHalfEven(step.t0 * 30 / 1000 / 3);
    step.x1 = roundHalfEven(step.t1 * 30 / 1000 / 3);
    return step;
}

const std::array<Tick, 18>& gridStrokes() {
    static const std::array<Tick, 18> strokes = [] {
        std::array<Tick, 18> s{};
        size_t i = 0;
        s[i++] = {{0, 0}, {kSweepWidth, 0}};
        s[i++] = {{0, 0}, {0, 256}};
        for (int x = 0; x <= 30; x += 5)
            s[i++] = {{double(x), -2}, {double(x), 3}};
        for (int y = 0; y <= 260; y += 32)
            s[i++] = {{-0.3, double(y)}, {0.5, double(y)}};
        return s;
    }();
    return strokes;
}

const std::array<Label, 5>& valueLabels() {
    static const std::array<Label, 5> labels{{
        {QStringLiteral("0"), {-1.5, 10}},
        {QStringLiteral("64"), {-2, 74}},
        {QStringLiteral("128"), {-2.8, 138}},
        {QStringLiteral("192"), {-2.8, 201}},
        {QStringLiteral("255"), {-2.8, 264}},
    }};
    return labels;
}

std::array<ReferenceLine, 5> referenceLines(const OptoParameterBlock& params) {
    return {{
        {params.blackLevel, QColor(128, 128, 255)},
        {params.markLevel, QColor(128, 255, 255)},
        {params.paperLevel, QColor(0, 255, 0)},
        {params.paperThreshold, QColor(255, 255, 128)},
        {params.markThreshold, QColor(255, 128, 128)},
    }};
}

} // namespace Chart
