// The strip chart's numbers: where samples land in a sweep, the rounding of x, the user scale, and the
// retained canvas that keeps its drawings and its background picture.
#include "monitor/chartgeometry.h"
#include "monitor/stripchart.h"

#include <QTest>

class TstChartGeometry : public QObject {
    Q_OBJECT

private slots:
    // The pictures live in the application's static library, whose resource table only a caller pulls in.
    void initTestCase() { Q_INIT_RESOURCE(resources); }
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void sweepPositions_data();
    void sweepPositions();
    void userScaleCorners_data();
    void userScaleCorners();
    void timeBase();
    void canvasKeepsDrawingsUntilCleared();
};

void TstChartGeometry::roundsHalfToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("0.5 down to 0") << 0.5 << 0;
    QTest::newRow("1.5 up to 2") << 1.5 << 2;
    QTest::newRow("2.5 down to 2") << 2.5 << 2;
    QTest::newRow("just above half") << 2.5000001 << 3;
    QTest::newRow("-1.5 to -2") << -1.5 << -2;
}

void TstChartGeometry::roundsHalfToEven() {
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(int(Chart::roundHalfEven(value)), rounded);
}

void TstChartGeometry::sweepPositions_data() {
    QTest::addColumn<int>("sample");
    QTest::addColumn<int>("x0");
    QTest::addColumn<int>("x1");
    QTest::addColumn<bool>("endOfSweep");
    const int expected[10][2] = {{0, 0}, {0, 1}, {1, 2}, {2, 2}, {2, 2},
                                 {2, 3}, {3, 4}, {4, 4}, {4, 4}, {4, 5}};
    for (int n = 1; n <= 10; ++n)
        QTest::addRow("sample %d", n) << n << expected[n - 1][0] << expected[n - 1][1] << false;
    QTest::newRow("sample 59") << 59 << 29 << 30 << false;
    QTest::newRow("sample 60 starts over at 0") << 60 << 0 << 0 << true;
}

void TstChartGeometry::sweepPositions() {
    QFETCH(int, sample);
    QFETCH(int, x0);
    QFETCH(int, x1);
    QFETCH(bool, endOfSweep);
    const Chart::SweepStep step = Chart::sweepStep(qint16(sample));
    QCOMPARE(int(step.x0), x0);
    QCOMPARE(int(step.x1), x1);
    QCOMPARE(step.endOfSweep, endOfSweep);
}

void TstChartGeometry::userScaleCorners_data() {
    QTest::addColumn<QPointF>("user");
    QTest::addColumn<QPointF>("pixel");
    const QSizeF area(343, 247);
    QTest::newRow("top left") << QPointF(-3, 290) << QPointF(0, 0);
    QTest::newRow("bottom right") << QPointF(31, -20) << QPointF(343, 247);
    QTest::newRow("origin") << QPointF(0, 0) << QPointF(3 * 343 / 34.0, 290 * 247 / 310.0);
}

void TstChartGeometry::userScaleCorners() {
    QFETCH(QPointF, user);
    QFETCH(QPointF, pixel);
    const QPointF at = Chart::toPixels(Chart::kUserScale, user, QSizeF(343, 247));
    QVERIFY2(qAbs(at.x() - pixel.x()) < 1e-9 && qAbs(at.y() - pixel.y()) < 1e-9,
             qPrintable(QString("(%1, %2)").arg(at.x()).arg(at.y())));
}

void TstChartGeometry::timeBase() {
    QCOMPARE(Chart::timeBaseText(), QString("Time base: 500ms"));
}

void TstChartGeometry::canvasKeepsDrawingsUntilCleared() {
    QWidget window;
    StripChart chart(":/chart-background.jpg", &window);
    chart.setGeometry(8, 8, 345, 249);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage background = chart.canvas();
    QCOMPARE(background.size(), QSize(343, 247));
    QVERIFY(background.pixelColor(10, 10) != QColor(Qt::white)); // the picture, not an empty pane

    chart.setDrawWidth(2);
    chart.drawLine({5, 100}, {25, 100}, QColor(255, 0, 0));
    const QPoint middle = chart.toPixels({15, 100}).toPoint();
    QCOMPARE(chart.canvas().pixelColor(middle), QColor(255, 0, 0));
    // What the window system sees after repainting: the drawing is still there.
    chart.repaint();
    const QImage shown = chart.grab().toImage();
    QCOMPARE(shown.pixelColor(middle + chart.contentsRect().topLeft()), QColor(255, 0, 0));

    chart.clear();
    QVERIFY(chart.strokes().empty());
    QCOMPARE(chart.canvas(), background);
}

QTEST_MAIN(TstChartGeometry)
#include "tst_chartgeometry.moc"
