#include "recordpainter.h"

#include "chartgeometry.h"

#include <QPainter>
#include <QPainterPath>

namespace Record {

namespace {
// The record travels to printers and other machines: a font size in pixels keeps its lines in the place
// measured for them, whatever the screen's resolution.
QFont recordFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    // No ligatures: a PDF reader finds "Xon-Xoff" and "reflective" as they are spelt.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void drawChart(QPainter& painter, const Sheet& sheet, const QRectF& area) {
    const auto at = [&](QPointF user) { return area.topLeft() + Chart::toPixels(Chart::kUserScale, user, area.size()); };
    painter.save();
    painter.setClipRect(area);
    painter.setPen(QPen(Chart::kAxisColour, Chart::kGridWidth));
    for (const Chart::Tick& stroke : Chart::gridStrokes())
        painter.drawLine(at(stroke.from), at(stroke.to));
    const auto text = [&](QPointF topLeft, const QString& s) {
        painter.drawText(QRectF(at(topLeft), area.bottomRight()), Qt::AlignLeft | Qt::AlignTop, s);
    };
    for (const Chart::Label& label : Chart::valueLabels())
        text(label.topLeft, label.text);
    text(Chart::kTimeBaseAt, timeBaseText(spanMs(sheet.samples)));
    if (sheet.params && sheet.sensor == Printer::Sensor::PrinterOpto)
        for (const Chart::ReferenceLine& line : Chart::referenceLines(*sheet.params)) {
            painter.setPen(QPen(line.colour, Chart::kGridWidth));
            painter.drawLine(at({0, double(line.value)}), at({Chart::kSweepWidth, double(line.value)}));
        }
    painter.setPen(QPen(Chart::kTraceColour, Chart::kTraceWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const std::vector<QPointF>& run : traceRuns(sheet.samples)) {
        if (run.size() == 1) painter.drawPoint(at(run.front()));
        QPainterPath path(at(run.front()));
        for (size_t i = 1; i < run.size(); ++i)
            path.lineTo(at(run[i]));
        painter.drawPath(path);
    }
    painter.restore();
}

void drawBlock(QPainter& painter, const Sheet& sheet, double top) {
    double y = top;
    for (const Line& line : blockLines(sheet)) {
        const QRectF row(kMargin, y, kChartSize.width(), kLineHeight);
        if (line.background) painter.fillRect(row, *line.background);
        painter.setPen(Qt::black);
        painter.drawText(row.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, line.text);
        y += kLineHeight;
    }
}
} // namespace

QRectF chartArea(const Sheet& sheet) {
    if (!sheet.chart) return {};
    return {QPointF(kMargin, kMargin), kChartSize};
}

QSizeF size(const Sheet& sheet) {
    const double chart = sheet.chart ? kChartSize.height() + kMargin : 0;
    return {kChartSize.width() + 2 * kMargin,
            kMargin + chart + double(blockLines(sheet).size()) * kLineHeight + kMargin};
}

void paint(QPainter& painter, const Sheet& sheet) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(recordFont());
    painter.fillRect(QRectF(QPointF(0, 0), size(sheet)), Qt::white);
    const QRectF area = chartArea(sheet);
    if (sheet.chart) drawChart(painter, sheet, area);
    drawBlock(painter, sheet, sheet.chart ? area.bottom() + kMargin : kMargin);
    painter.restore();
}

} // namespace Record
