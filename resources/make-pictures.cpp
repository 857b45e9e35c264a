// Draws every picture of the wizard from code, so that the images in this folder can be remade and
// changed by anyone: no picture here is copied from anywhere. Built and run by make-pictures.sh.
//
//   make-pictures <output folder> [<icon folder>]
//
// The icon folder (the output folder if not given) receives the application icon for the desktop's
// icon theme: window icon A, pixel for pixel, at 32, 64 and 128 pixels.
//
// Sizes are fixed by the windows that show the pictures (pixels at 96 dpi); main() checks each one.

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QVector>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// House colours, shared by the splash and the sensor illustrations.
const QColor kNavy(22, 50, 79);
const QColor kNavyLight(38, 84, 124);
const QColor kBeam(255, 59, 48);
const QColor kPaper(255, 253, 246);
const QColor kPaperEdge(150, 160, 172);
const QColor kHousing(58, 66, 78);
const QColor kHousingLight(96, 106, 120);

QFont font(int pixelSize, bool bold = false, bool condensed = false) {
    QFont f(condensed ? QStringLiteral("DejaVu Sans Condensed") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QImage canvas(int w, int h, QColor fill = Qt::transparent) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

// A light beam: a soft glow under a thin bright core, so it reads as light on light and dark grounds.
void drawBeam(QPainter& p, const QPainterPath& path, qreal width, int alpha = 255) {
    QColor glow = kBeam;
    glow.setAlpha(alpha / 4);
    p.strokePath(path, QPen(glow, width * 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QColor core = kBeam;
    core.setAlpha(alpha);
    p.strokePath(path, QPen(core, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void drawArrowHead(QPainter& p, QPointF tip, QPointF from, qreal size, QColor colour) {
    const QPointF d = tip - from;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    QPolygonF head;
    head << tip << tip - u * size + n * size * 0.55 << tip - u * size - n * size * 0.55;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

// ---------------------------------------------------------------------------------------------
// Splash: a receipt printer with its paper and the paper sensor's beam, on the wizard's navy.
// The program lays a white "Rev: 1.0" label over x 256..361, y 232..257, so the bottom band is light.

void splashBackground(QPainter& p, int w, int h, int bandTop) {
    QLinearGradient sky(0, 0, w * 0.35, bandTop);
    sky.setColorAt(0, kNavy);
    sky.setColorAt(1, kNavyLight);
    p.fillRect(0, 0, w, bandTop, sky);

    // A faint sensor trace across the sky, as the monitor draws it.
    QPainterPath trace;
    trace.moveTo(0, 150);
    const int steps[] = {150, 150, 96, 96, 150, 150, 150, 120, 120, 150, 150, 96, 96, 150, 150};
    for (int i = 1; i < 15; ++i) {
        trace.lineTo(i * 26 - 6, steps[i - 1]);
        trace.lineTo(i * 26, steps[i]);
    }
    trace.lineTo(w, 150);
    p.strokePath(trace, QPen(QColor(255, 255, 255, 22), 2));
    for (int x = 20; x < w; x += 26)
        p.fillRect(x, 28, 1, bandTop - 40, QColor(255, 255, 255, 9));

    QLinearGradient band(0, bandTop, 0, h);
    band.setColorAt(0, QColor(244, 247, 250));
    band.setColorAt(1, QColor(226, 232, 239));
    p.fillRect(0, bandTop, w, h - bandTop, band);
    p.fillRect(0, bandTop - 2, w, 2, kBeam);
}

void splashTitle(QPainter& p, int bandTop) {
    p.setPen(Qt::white);
    p.setFont(font(38, true));
    p.drawText(QPointF(20, 64), QStringLiteral("Veltaro"));

    p.setPen(QColor(160, 196, 230));
    p.setFont(font(13));
    p.drawText(QPointF(22, 86), QStringLiteral("Printer sensor wizard"));

    const char* steps[] = {"Find the printer", "Calibrate its opto-sensors", "Monitor a sensor live"};
    p.setFont(font(11));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 122 + i * 21;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawEllipse(QPointF(29, y - 4), 7.5, 7.5);
        p.setPen(Qt::white);
        p.setFont(font(10, true));
        p.drawText(QRectF(21.5, y - 11.5, 15, 15), Qt::AlignCenter, QString::number(i + 1));
        p.setFont(font(11));
        p.setPen(QColor(220, 231, 243));
        p.drawText(QPointF(44, y), QString::fromLatin1(steps[i]));
    }

    p.setPen(QColor(88, 104, 122));
    p.setFont(font(10));
    p.drawText(QPointF(20, bandTop + 23), QStringLiteral("RS-232 receipt printers"));
}

void splashPaper(QPainter& p) {
    // The receipt leaves the slot and curls back at its torn top edge.
    QPainterPath paper;
    paper.moveTo(246, 112);
    paper.lineTo(244, 52);
    paper.cubicTo(243, 38, 250, 28, 262, 24);
    for (int i = 0; i <= 8; ++i)
        paper.lineTo(262 + i * 5.5, (i % 2) ? 21 : 24);
    paper.cubicTo(318, 30, 312, 40, 311, 52);
    paper.lineTo(309, 112);
    paper.closeSubpath();

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawPath(paper.translated(4, 3));
    QLinearGradient shade(244, 0, 311, 0);
    shade.setColorAt(0, QColor(236, 234, 226));
    shade.setColorAt(0.25, kPaper);
    shade.setColorAt(1, QColor(230, 228, 220));
    p.setBrush(shade);
    p.drawPath(paper);

    // Printed lines of a receipt, with a total in bold.
    p.setPen(Qt::NoPen);
    const QColor ink(120, 126, 134);
    p.setBrush(ink);
    p.drawRect(QRectF(256, 38, 42, 3));
    const qreal widths[] = {28, 36, 22, 32};
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(252, 50 + i * 8, widths[i], 2));
        p.drawRect(QRectF(291, 50 + i * 8, 10, 2));
    }
    p.setBrush(QColor(60, 64, 70));
    p.drawRect(QRectF(252, 86, 20, 3));
    p.drawRect(QRectF(286, 86, 15, 3));
    p.setBrush(ink);
    for (int i = 0; i < 14; ++i)
        p.drawRect(QRectF(256 + i * 3, 96, (i % 3) ? 1 : 2, 8));
}

void splashPrinter(QPainter& p) {
    // Shadow on the bench.
    QRadialGradient shadow(QPointF(272, 206), 80);
    shadow.setColorAt(0, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(272, 206), 82, 10);

    // Top face, receding.
    QPolygonF top;
    top << QPointF(206, 132) << QPointF(338, 132) << QPointF(322, 104) << QPointF(222, 104);
    QLinearGradient topShade(0, 104, 0, 132);
    topShade.setColorAt(0, QColor(120, 130, 144));
    topShade.setColorAt(1, QColor(90, 99, 112));
    p.setBrush(topShade);
    p.drawPolygon(top);

    // Paper slot and the cover seam.
    p.setBrush(QColor(24, 27, 32));
    p.drawRoundedRect(QRectF(240, 110, 75, 4), 2, 2);
    p.setPen(QPen(QColor(70, 78, 90), 1));
    p.drawLine(QPointF(214, 124), QPointF(330, 124));
    p.setPen(Qt::NoPen);

    // Front face.
    QLinearGradient front(0, 132, 0, 202);
    front.setColorAt(0, kHousingLight);
    front.setColorAt(0.08, kHousing);
    front.setColorAt(1, QColor(36, 41, 49));
    p.setBrush(front);
    p.drawRoundedRect(QRectF(206, 132, 132, 70), 5, 5);
    p.fillRect(QRectF(206, 132, 132, 6), front);

    // Front panel: feed button, status lamp, vent slots.
    p.setBrush(QColor(28, 32, 38));
    p.drawRoundedRect(QRectF(292, 146, 36, 22), 4, 4);
    p.setBrush(QColor(150, 158, 170));
    p.drawRoundedRect(QRectF(298, 152, 14, 10), 2, 2);
    p.setBrush(QColor(70, 220, 110));
    p.drawEllipse(QPointF(320, 157), 3, 3);
    p.setBrush(QColor(70, 220, 110, 60));
    p.drawEllipse(QPointF(320, 157), 6, 6);
    p.setBrush(QColor(30, 34, 40));
    for (int i = 0; i < 6; ++i)
        p.drawRoundedRect(QRectF(218 + i * 9, 178, 5, 14), 2, 2);

    // Feet.
    p.setBrush(QColor(20, 22, 26));
    p.drawRect(QRectF(214, 202, 16, 4));
    p.drawRect(QRectF(314, 202, 16, 4));
}

void splashSensor(QPainter& p) {
    // The opto-sensor beside the paper path: the beam meets the paper and comes back (reflective).
    const QPointF emitter(214, 66), receiver(214, 84), spot(245, 74);

    QPainterPath out;
    out.moveTo(emitter);
    out.lineTo(spot);
    QPainterPath back;
    back.moveTo(spot);
    back.lineTo(receiver);
    drawBeam(p, out, 1.6);
    drawBeam(p, back, 1.2, 170);
    drawArrowHead(p, spot, emitter, 6, kBeam);

    QRadialGradient hit(spot, 9);
    hit.setColorAt(0, QColor(255, 120, 100, 220));
    hit.setColorAt(1, QColor(255, 60, 48, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(hit);
    p.drawEllipse(spot, 9, 9);

    QLinearGradient body(0, 58, 0, 92);
    body.setColorAt(0, kHousingLight);
    body.setColorAt(1, kHousing);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(194, 58, 20, 34), 3, 3);
    p.setBrush(QColor(255, 80, 64));
    p.drawEllipse(QPointF(211, 66), 3.2, 3.2);
    p.setBrush(QColor(30, 40, 60));
    p.drawEllipse(QPointF(211, 84), 3.2, 3.2);
    p.setBrush(QColor(120, 170, 230));
    p.drawEllipse(QPointF(210.2, 83.2), 1.2, 1.2);
}

QImage splash() {
    const int w = 357, h = 261, bandTop = 222;
    QImage img = canvas(w, h, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    splashBackground(p, w, h, bandTop);
    splashTitle(p, bandTop);
    splashSensor(p);
    splashPrinter(p);
    splashPaper(p);
    return img;
}

// ---------------------------------------------------------------------------------------------
// Strip chart background: pale, with faint graph paper that falls on the chart's own ticks
// (x from -3 to 31, one line every 5 units; y from 290 down to -20, one line every 32).

QImage chartBackground() {
    const int w = 343, h = 247;
    QImage img = canvas(w, h, Qt::white);
    QPainter p(&img);
    QLinearGradient ground(0, 0, w, h);
    ground.setColorAt(0, QColor(252, 253, 255));
    ground.setColorAt(1, QColor(235, 241, 247));
    p.fillRect(img.rect(), ground);

    auto px = [&](qreal x) { return (x + 3) * w / 34.0; };
    auto py = [&](qreal y) { return (290 - y) * h / 310.0; };
    const QColor minor(228, 235, 243), major(214, 224, 235);
    for (int x = 0; x <= 30; ++x) {
        const qreal X = std::round(px(x)) + 0.5;
        p.setPen(QPen(x % 5 ? minor : major, 1));
        p.drawLine(QPointF(X, py(256)), QPointF(X, py(0)));
    }
    for (int y = 0; y <= 256; y += 16) {
        const qreal Y = std::round(py(y)) + 0.5;
        p.setPen(QPen(y % 32 ? minor : major, 1));
        p.drawLine(QPointF(px(0), Y), QPointF(px(30), Y));
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// Opto-sensor mode illustrations, 80 x 136: paper in cross-section, the sensor parts, the beam,
// and a two-line key at the bottom. The two pictures share positions so they read as a pair.

void modeBackground(QPainter& p, int w, int h) {
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(250, 251, 253));
    g.setColorAt(1, QColor(232, 237, 243));
    p.fillRect(0, 0, w, h, g);
}

void drawPaperStrip(QPainter& p, qreal top, bool withMark) {
    const QRectF strip(0, top, 80, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawRect(strip.translated(0, 2));
    p.setBrush(kPaper);
    p.drawRect(strip);
    p.setPen(QPen(kPaperEdge, 1));
    p.drawLine(QPointF(0, top + 0.5), QPointF(80, top + 0.5));
    p.drawLine(QPointF(0, top + 7.5), QPointF(80, top + 7.5));
    if (withMark) p.fillRect(QRectF(56, top + 5, 18, 3), QColor(30, 30, 30));
    p.setPen(QColor(110, 118, 128));
    p.setFont(font(8));
    p.drawText(QPointF(3, top - 3), QStringLiteral("paper"));
    // The way the paper runs past the sensor.
    const QColor feed(140, 148, 158);
    p.setPen(QPen(feed, 1.2));
    p.drawLine(QPointF(52, top - 5.5), QPointF(71, top - 5.5));
    drawArrowHead(p, QPointF(76, top - 5.5), QPointF(60, top - 5.5), 5, feed);
}

// A sensor part seen from the side: housing with a lens dome facing the paper.
void drawSensorPart(QPainter& p, QPointF lens, bool emitter, bool facingUp) {
    const QRectF body(lens.x() - 9, facingUp ? lens.y() + 2 : lens.y() - 20, 18, 18);
    QLinearGradient g(body.left(), 0, body.right(), 0);
    g.setColorAt(0, kHousingLight);
    g.setColorAt(1, kHousing);
    p.setPen(QPen(QColor(36, 40, 48), 1));
    p.setBrush(g);
    p.drawRoundedRect(body, 2.5, 2.5);
    const QRectF dome(lens.x() - 5, lens.y() - 4, 10, 8);
    p.setBrush(emitter ? QColor(255, 82, 66) : QColor(34, 46, 72));
    p.setPen(QPen(emitter ? QColor(170, 30, 20) : QColor(10, 14, 24), 1));
    p.drawChord(dome, facingUp ? 0 : 180 * 16, 180 * 16);
    if (!emitter) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(130, 180, 240));
        p.drawEllipse(QPointF(lens.x() - 1.5, lens.y() + (facingUp ? -1.5 : 1.5)), 1.2, 1.2);
    }
}

void drawModeKey(QPainter& p, qreal top) {
    p.setFont(font(9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 82, 66));
    p.drawEllipse(QPointF(9, top), 3.5, 3.5);
    p.setBrush(QColor(34, 46, 72));
    p.drawEllipse(QPointF(9, top + 14), 3.5, 3.5);
    p.setPen(QColor(60, 68, 80));
    p.drawText(QPointF(17, top + 3.5), QStringLiteral("emitter"));
    p.drawText(QPointF(17, top + 17.5), QStringLiteral("receiver"));
}

QImage modeReflective() {
    const int w = 80, h = 136;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    modeBackground(p, w, h);
    drawPaperStrip(p, 28, true);

    // Emitter and receiver side by side under the paper; the light returns from the paper.
    const QPointF emitter(24, 80), receiver(56, 80), spot(40, 37);
    QPainterPath out;
    out.moveTo(emitter - QPointF(0, 4));
    out.lineTo(spot);
    QPainterPath back;
    back.moveTo(spot);
    back.lineTo(receiver - QPointF(0, 6));
    drawBeam(p, out, 1.5);
    drawBeam(p, back, 1.3, 190);
    drawArrowHead(p, receiver - QPointF(0, 4.5), spot, 5,
                  QColor(kBeam.red(), kBeam.green(), kBeam.blue(), 190));
    QRadialGradient hit(spot, 6);
    hit.setColorAt(0, QColor(255, 110, 90, 200));
    hit.setColorAt(1, QColor(255, 60, 48, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(hit);
    p.drawEllipse(spot, 6, 6);

    drawSensorPart(p, emitter, true, true);
    drawSensorPart(p, receiver, false, true);
    // One board carries both parts: that is what makes the sensor reflective.
    p.fillRect(QRectF(12, 100, 56, 4), QColor(40, 110, 70));
    drawModeKey(p, 114);
    return img;
}

QImage modeTransmissive() {
    const int w = 80, h = 136;
    QImage img = canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    modeBackground(p, w, h);
    drawPaperStrip(p, 48, false);

    // Emitter above the paper, receiver below it: the light crosses the paper and arrives weaker.
    const QPointF emitter(40, 26), receiver(40, 86);
    QPainterPath above;
    above.moveTo(emitter + QPointF(0, 4));
    above.lineTo(40, 47);
    QPainterPath below;
    below.moveTo(40, 57);
    below.lineTo(receiver - QPointF(0, 6));
    drawBeam(p, above, 1.6);
    drawBeam(p, below, 1.3, 120);
    drawArrowHead(p, receiver - QPointF(0, 4.5), QPointF(40, 57), 5,
                  QColor(kBeam.red(), kBeam.green(), kBeam.blue(), 140));

    drawSensorPart(p, emitter, true, false);
    drawSensorPart(p, receiver, false, true);
    drawModeKey(p, 114);
    return img;
}

// ---------------------------------------------------------------------------------------------
// Near-end state badges for the monitor, 24 pixels high, drawn over the chart background.

QFont badgeFont() {
    return font(11, true, true);
}

// The badge's words in a language longer than English keep the badge's size: the font steps down a pixel
// at a time until they fit.
QFont fittedBadgeFont(const QString& text, int width) {
    QFont f = badgeFont();
    while (f.pixelSize() > 8 && QFontMetricsF(f).horizontalAdvance(text) > width)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

void drawBadge(QPainter& p, QRectF r, QColor fill, QColor border) {
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

QImage stateEnough(const QString& text) {
    QImage img = canvas(117, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawBadge(p, img.rect(), QColor(234, 246, 234), QColor(96, 170, 100));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(36, 150, 62));
    p.drawEllipse(QPointF(12, 12), 8, 8);
    QPainterPath tick;
    tick.moveTo(8, 12.2);
    tick.lineTo(11, 15.2);
    tick.lineTo(16.2, 8.8);
    p.strokePath(tick, QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    p.setPen(QColor(24, 120, 46));
    p.setFont(fittedBadgeFont(text, 92));
    p.drawText(QRectF(23, 0, 92, 24), Qt::AlignVCenter | Qt::AlignHCenter, text);
    return img;
}

QImage stateNeop(const QString& text) {
    QImage img = canvas(137, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawBadge(p, img.rect(), QColor(255, 247, 220), QColor(214, 168, 40));

    QPainterPath tri;
    tri.moveTo(12, 3.5);
    tri.lineTo(21, 19.5);
    tri.lineTo(3, 19.5);
    tri.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 204, 0));
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 32, 0));
    p.drawRoundedRect(QRectF(11, 8, 2, 6.5), 1, 1);
    p.drawEllipse(QPointF(12, 16.8), 1.2, 1.2);

    p.setPen(QColor(198, 32, 32));
    p.setFont(fittedBadgeFont(text, 111));
    p.drawText(QRectF(24, 0, 111, 24), Qt::AlignVCenter | Qt::AlignHCenter, text);
    return img;
}

// ---------------------------------------------------------------------------------------------
// Small help picture for the help button, 12 x 16: a question mark drawn pixel by pixel,
// dark blue with a lighter inner edge, on a transparent ground.

QImage helpButton() {
    static const char* rows[16] = {
        "............", //
        "...oXXXXo...", //
        "..XX####XX..", //
        ".XX#o..o#XX.", //
        ".XX#....#XX.", //
        "........#XX.", //
        ".......#XX..", //
        "......#XXo..", //
        ".....#XX....", //
        ".....#XX....", //
        ".....oXXo...", //
        "............", //
        ".....#XX....", //
        ".....#XX....", //
        "............", //
        "............", //
    };
    QImage img = canvas(12, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 12; ++x) {
            switch (rows[y][x]) {
            case 'X':
                img.setPixelColor(x, y, QColor(22, 58, 140));
                break;
            case '#':
                img.setPixelColor(x, y, QColor(70, 120, 210));
                break;
            case 'o':
                img.setPixelColor(x, y, QColor(22, 58, 140, 110));
                break;
            default:
                break;
            }
        }
    return img;
}

// ---------------------------------------------------------------------------------------------
// Window icons, 32 x 32 in the sixteen standard colours plus transparency. Drawn without
// antialiasing from the palette, then stored as an indexed image so no other colour creeps in.

const QVector<QRgb> kSixteen = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};
enum Vga {
    Black,
    Maroon,
    Green,
    Olive,
    Navy,
    Purple,
    Teal,
    Silver,
    Gray,
    Red,
    Lime,
    Yellow,
    Blue,
    Fuchsia,
    Aqua,
    White
};

QColor vga(Vga c) {
    return QColor::fromRgb(kSixteen[c]);
}

QImage toSixteenColours(const QImage& src) {
    QImage out(src.size(), QImage::Format_Indexed8);
    QVector<QRgb> table = kSixteen;
    table << qRgba(0, 0, 0, 0);
    out.setColorTable(table);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const QRgb c = src.pixel(x, y);
            int best = 16;
            if (qAlpha(c) >= 128) {
                int bestDist = 1 << 30;
                for (int i = 0; i < 16; ++i) {
                    const int dr = qRed(c) - qRed(kSixteen[i]), dg = qGreen(c) - qGreen(kSixteen[i]),
                              db = qBlue(c) - qBlue(kSixteen[i]);
                    const int dist = dr * dr + dg * dg + db * db;
                    if (dist < bestDist) {
                        bestDist = dist;
                        best = i;
                    }
                }
            }
            out.setPixel(x, y, uint(best));
        }
    return out;
}

void box(QPainter& p, int x, int y, int w, int h, Vga fill, Vga line) {
    p.fillRect(x, y, w, h, vga(line));
    p.fillRect(x + 1, y + 1, w - 2, h - 2, vga(fill));
}

// A: the wizard's pages. A receipt printer with its paper out and the sensor's red beam.
QImage iconA() {
    QImage img = canvas(32, 32);
    QPainter p(&img);
    // Paper with printed lines.
    box(p, 9, 2, 14, 16, White, Gray);
    for (int i = 0; i < 4; ++i)
        p.fillRect(11, 5 + i * 3, (i % 2) ? 7 : 10, 1, vga(Silver));
    p.fillRect(11, 14, 10, 1, vga(Gray));
    // Top of the printer, body and front.
    box(p, 3, 15, 26, 5, Silver, Black);
    p.fillRect(8, 16, 16, 2, vga(Black));
    box(p, 2, 19, 28, 10, Gray, Black);
    p.fillRect(3, 20, 26, 1, vga(Silver));
    p.fillRect(20, 23, 7, 4, vga(Black));
    p.fillRect(21, 24, 3, 2, vga(Silver));
    p.fillRect(25, 24, 1, 2, vga(Lime));
    for (int i = 0; i < 3; ++i)
        p.fillRect(5 + i * 3, 23, 1, 4, vga(Black));
    // Sensor beam onto the paper.
    p.fillRect(1, 9, 3, 4, vga(Black));
    p.fillRect(4, 10, 5, 1, vga(Red));
    p.fillRect(4, 11, 5, 1, vga(Maroon));
    return toSixteenColours(img);
}

// B: port selection. A nine-pin serial connector, face on, with its cable.
QImage iconB() {
    QImage img = canvas(32, 32);
    QPainter p(&img);
    // Cable from the top into the hood.
    p.fillRect(14, 0, 5, 9, vga(Black));
    p.fillRect(15, 0, 3, 9, vga(Gray));
    box(p, 10, 7, 13, 6, Gray, Black);
    p.fillRect(11, 8, 11, 1, vga(Silver));
    // Mounting plate with the two screws.
    box(p, 1, 12, 31, 17, Silver, Black);
    p.fillRect(2, 13, 29, 1, vga(White));
    p.fillRect(2, 27, 29, 1, vga(Gray));
    for (int sx : {4, 27}) {
        p.fillRect(sx - 1, 19, 3, 3, vga(Black));
        p.fillRect(sx, 20, 1, 1, vga(Gray));
    }
    // The D-shaped shell, wider at the top.
    p.setPen(Qt::NoPen);
    QPolygon shell;
    shell << QPoint(7, 15) << QPoint(25, 15) << QPoint(22, 26) << QPoint(10, 26);
    p.setBrush(vga(Black));
    p.drawPolygon(shell);
    QPolygon inner;
    inner << QPoint(8, 16) << QPoint(24, 16) << QPoint(21, 25) << QPoint(11, 25);
    p.setBrush(vga(Navy));
    p.drawPolygon(inner);
    // Five pins over four.
    for (int i = 0; i < 5; ++i) {
        p.fillRect(10 + i * 3, 18, 2, 2, vga(Yellow));
        p.fillRect(11 + i * 3, 19, 1, 1, vga(Olive));
    }
    for (int i = 0; i < 4; ++i) {
        p.fillRect(12 + i * 3, 22, 2, 2, vga(Yellow));
        p.fillRect(13 + i * 3, 23, 1, 1, vga(Olive));
    }
    return toSixteenColours(img);
}

// C: the help window. A page of notes with a blue question-mark disc over its corner.
QImage iconC() {
    QImage img = canvas(32, 32);
    QPainter p(&img);
    // The page, with its top right corner folded over.
    p.setPen(Qt::NoPen);
    QPolygon page;
    page << QPoint(3, 1) << QPoint(17, 1) << QPoint(23, 7) << QPoint(23, 27) << QPoint(3, 27);
    p.setBrush(vga(Black));
    p.drawPolygon(page);
    QPolygon sheet;
    sheet << QPoint(4, 2) << QPoint(16, 2) << QPoint(22, 8) << QPoint(22, 26) << QPoint(4, 26);
    p.setBrush(vga(White));
    p.drawPolygon(sheet);
    QPolygon fold;
    fold << QPoint(16, 2) << QPoint(16, 8) << QPoint(22, 8);
    p.setBrush(vga(Silver));
    p.drawPolygon(fold);
    p.fillRect(16, 2, 1, 7, vga(Black));
    p.fillRect(16, 8, 7, 1, vga(Black));
    for (int i = 0; i < 6; ++i)
        p.fillRect(6, 5 + i * 3, (i < 2) ? 8 : (i % 3 == 2) ? 9 : 13, 1, vga(Gray));

    p.setPen(Qt::NoPen);
    p.setBrush(vga(Black));
    p.drawEllipse(QRect(13, 13, 18, 18));
    p.setBrush(vga(Navy));
    p.drawEllipse(QRect(14, 14, 16, 16));
    p.setBrush(vga(Blue));
    p.drawEllipse(QRect(15, 15, 13, 13));
    static const char* mark[9] = {
        ".XXXX.", //
        "XX..XX", //
        "....XX", //
        "...XX.", //
        "..XX..", //
        "..XX..", //
        "......", //
        "..XX..", //
        "..XX..", //
    };
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 6; ++x)
            if (mark[y][x] == 'X') img.setPixelColor(19 + x, 17 + y, vga(White));
    return toSixteenColours(img);
}

struct Picture {
    const char* name;
    int width;
    int height;
    std::function<QImage()> draw;
    bool applicationIcon = false; // goes to the icon folder
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make-pictures <output folder> [<icon folder>]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString iconDir = QString::fromLocal8Bit(argv[argc - 1]);
    // Scaled by whole pixels, the sixteen-colour drawing stays sharp on a large icon.
    const auto appIcon = [](int size) {
        return [size] { return iconA().scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation); };
    };
    const Picture pictures[] = {
        {"splash.jpg", 357, 261, splash},
        {"chart-background.jpg", 343, 247, chartBackground},
        {"mode-reflective.png", 80, 136, modeReflective},
        {"mode-transmissive.png", 80, 136, modeTransmissive},
        // The monitor's paper states carry words; the wizard shows the picture of its language
        // (state-enough-de.png) where there is one.
        {"state-enough.png", 117, 24, [] { return stateEnough(QStringLiteral("Enough paper !")); }},
        {"state-neop.png", 137, 24, [] { return stateNeop(QStringLiteral("Near end of paper !")); }},
        {"state-enough-de.png", 117, 24, [] { return stateEnough(QStringLiteral("Genug Papier!")); }},
        {"state-neop-de.png", 137, 24, [] { return stateNeop(QStringLiteral("Papier fast zu Ende!")); }},
        {"state-enough-fr.png", 117, 24, [] { return stateEnough(QStringLiteral("Papier suffisant !")); }},
        {"state-neop-fr.png", 137, 24, [] { return stateNeop(QStringLiteral("Fin de papier proche !")); }},
        {"state-enough-es.png", 117, 24, [] { return stateEnough(QString::fromUtf8("¡Papel suficiente!")); }},
        {"state-neop-es.png", 137, 24, [] { return stateNeop(QString::fromUtf8("¡Casi sin papel!")); }},
        {"help-button.png", 12, 16, helpButton},
        {"icon-a.png", 32, 32, iconA},
        {"icon-b.png", 32, 32, iconB},
        {"icon-c.png", 32, 32, iconC},
        {"veltaro-32.png", 32, 32, appIcon(32), true},
        {"veltaro-64.png", 64, 64, appIcon(64), true},
        {"veltaro-128.png", 128, 128, appIcon(128), true},
    };
    int failures = 0;
    for (const Picture& pic : pictures) {
        QImage img = pic.draw();
        const QString path =
            (pic.applicationIcon ? iconDir : dir) + QLatin1Char('/') + QLatin1String(pic.name);
        const bool jpeg = path.endsWith(QLatin1String(".jpg"));
        if (jpeg) img = img.convertToFormat(QImage::Format_RGB32);
        if (img.width() != pic.width || img.height() != pic.height ||
            !img.save(path, nullptr, jpeg ? 92 : -1)) {
            std::fprintf(stderr, "make-pictures: could not make %s\n", pic.name);
            ++failures;
            continue;
        }
        const QImage back(path);
        if (back.size() != QSize(pic.width, pic.height)) {
            std::fprintf(stderr, "make-pictures: %s reads back as %dx%d\n", pic.name, back.width(),
                         back.height());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
