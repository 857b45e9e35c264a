#include "stripchart.h"

#include <QPainter>
#include <QResizeEvent>

StripChart::StripChart(const QString& backgroundPicture, QWidget* parent)
    : QFrame(parent), m_background(backgroundPicture) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    resetCanvas();
}

QPointF StripChart::toPixels(QPointF user) const {
    return Chart::toPixels(m_scale, user, QSizeF(contentsRect().size()));
}

void StripChart::drawLine(QPointF from, QPointF to, const QColor& colour) {
    fitCanvas();
    m_strokes.push_back({from, to, colour, m_drawWidth});
    QPainter painter(&m_canvas);
    painter.setPen(QPen(colour, m_drawWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(toPixels(from), toPixels(to));
    update(contentsRect());
}

void StripChart::drawText(QPointF topLeft, const QString& text) {
    fitCanvas();
    m_texts.push_back({topLeft, text});
    QPainter painter(&m_canvas);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QPointF at = toPixels(topLeft);
    painter.drawText(QRectF(at, QSizeF(m_canvas.width(), m_canvas.height())), Qt::AlignLeft | Qt::AlignTop,
                     text);
    update(contentsRect());
}

void StripChart::clear() {
    m_strokes.clear();
    m_texts.clear();
    resetCanvas();
    update(contentsRect());
}

void StripChart::resetCanvas() {
    const QSize area = contentsRect().size().expandedTo(QSize(1, 1));
    const qreal ratio = devicePixelRatioF();
    m_canvas = QImage(area * ratio, QImage::Format_RGB32);
    m_canvas.setDevicePixelRatio(ratio);
    m_canvas.fill(palette().color(QPalette::Base));
    // The picture keeps its own size, from the top left corner, as a picture pane shows it.
    QPainter painter(&m_canvas);
    painter.drawPixmap(0, 0, m_background);
}

void StripChart::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), m_canvas);
}

void StripChart::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    fitCanvas();
}

void StripChart::fitCanvas() {
    // The pane has a fixed size, set when the page is built and before anything is drawn; Qt may tell
    // a hidden pane of its size only when it is first shown.
    if (m_canvas.deviceIndependentSize().toSize() != contentsRect().size()) clear();
}
