#pragma once

#include "record/chartgeometry.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPixmap>

#include <vector>

// The monitor's graph pane: a retained canvas in user coordinates. What is drawn stays on the canvas,
// whatever the window system asks to repaint, until clear() wipes it back to the background picture.
// It also remembers, in user coordinates, what was drawn since the last clear, so that what the graph
// shows can be checked without looking at pixels.
class StripChart : public QFrame {
    Q_OBJECT
public:
    struct Stroke {
        QPointF from, to;
        QColor colour;
        int width;
    };
    struct Text {
        QPointF topLeft;
        QString text;
    };

    StripChart(const QString& backgroundPicture, QWidget* parent);

    void setScale(const Chart::UserScale& scale) { m_scale = scale; }
    void setDrawWidth(int pixels) { m_drawWidth = pixels; }
    void drawLine(QPointF from, QPointF to, const QColor& colour);
    // Text in the pane's own font and colour, its top left corner at the point given.
    void drawText(QPointF topLeft, const QString& text);
    // Wipes the drawings; the background picture stays.
    void clear();

    const std::vector<Stroke>& strokes() const { return m_strokes; }
    const std::vector<Text>& texts() const { return m_texts; }
    // The drawing area as it stands, in logical pixels.
    QImage canvas() const { return m_canvas; }
    QPointF toPixels(QPointF user) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void resetCanvas();
    void fitCanvas();

    QPixmap m_background;
    QImage m_canvas;
    Chart::UserScale m_scale = Chart::kUserScale;
    int m_drawWidth = 1;
    std::vector<Stroke> m_strokes;
    std::vector<Text> m_texts;
};
