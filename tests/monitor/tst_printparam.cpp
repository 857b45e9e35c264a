// The parameter sheet beside the monitor: its texts from the printer's parameters, its place against
// the monitor, and that it is filled and placed once per load.
#include "monitorbench.h"

#include "monitor/printparam.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

using namespace MonitorBench;

class TstPrintParam : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void placedOncePerLoad();
};

void TstPrintParam::texts_data() {
    QTest::addColumn<QList<int>>("params");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("type 0, levels 0")
        << QList<int>{0, 0, 0, 0, 0, 0}
        << QStringList{"Reflective Optosensor", "Black Level : 0",     "Mark / Backing Level : 0",
                       "Paper Level : 0",       "Paper Threshold : 0", "Mark / Backing Threshold : 0"};
    QTest::newRow("type 1, levels 255")
        << QList<int>{1, 255, 255, 255, 255, 255}
        << QStringList{"Transmitive Optosensor", "Black Level : 255",     "Mark / Backing Level : 255",
                       "Paper Level : 255",      "Paper Threshold : 255", "Mark / Backing Threshold : 255"};
    QTest::newRow("type 255, each its own")
        << QList<int>{255, 37, 8, 210, 115, 140}
        << QStringList{"Transmitive Optosensor", "Black Level : 37",      "Mark / Backing Level : 8",
                       "Paper Level : 210",      "Paper Threshold : 115", "Mark / Backing Threshold : 140"};
}

void TstPrintParam::texts() {
    QFETCH(QList<int>, params);
    QFETCH(QStringList, lines);
    Bench bench;
    Sim::PrinterConfig config = printerAt(9600, false);
    for (int i = 0; i < 6; ++i)
        config.optoParams[size_t(i)] = quint8(params[i]);
    bench.printer(3, config);
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    monitor.CheckParam->click();
    PrintParam* sheet = bench.wizard().loadedPrintParam();
    QVERIFY(sheet && sheet->isVisible());
    const QStringList shown{sheet->OptoType_L->text(), sheet->BlackLevel->text(), sheet->MarkLevel->text(),
                            sheet->PaperLevel->text(), sheet->PaperThres->text(), sheet->MarkThres->text()};
    QCOMPARE(shown, lines);
    monitor.Back->click();
}

void TstPrintParam::placedOncePerLoad() {
    Bench bench;
    bench.printer(3, printerAt(9600, false));
    MonitorFrm& monitor = open(bench, Sensor::Printer, "9600", 1);
    monitor.move(100, 80);
    monitor.CheckParam->click();
    QPointer<PrintParam> sheet = bench.wizard().loadedPrintParam();
    QVERIFY(sheet);
    const QRect outer = monitor.frameGeometry();
    QCOMPARE(sheet->frameGeometry().topLeft(), QPoint(outer.x() + outer.width(), outer.y()));
    const QPoint placed = sheet->frameGeometry().topLeft();
    const QString black = sheet->BlackLevel->text();

    // A second click only shows it again: no new place, no new texts.
    monitor.move(300, 200);
    bench.wizard().state().OptoParams.blackLevel = 99;
    sheet->hide();
    monitor.CheckParam->click();
    QCOMPARE(bench.wizard().loadedPrintParam(), sheet.data());
    QVERIFY(sheet->isVisible());
    QCOMPARE(sheet->frameGeometry().topLeft(), placed);
    QCOMPARE(sheet->BlackLevel->text(), black);

    // Closed by its close box and opened again: placed and filled afresh.
    sheet->close();
    QVERIFY(!bench.wizard().loadedPrintParam());
    QTRY_VERIFY(sheet.isNull());
    monitor.CheckParam->click();
    PrintParam* again = bench.wizard().loadedPrintParam();
    QVERIFY(again);
    const QRect moved = monitor.frameGeometry();
    QCOMPARE(again->frameGeometry().topLeft(), QPoint(moved.x() + moved.width(), moved.y()));
    QCOMPARE(again->BlackLevel->text(), QString("Black Level : 99"));

    // Back unloads the sheet with the monitor.
    QPointer<PrintParam> last(again);
    monitor.Back->click();
    QVERIFY(!bench.wizard().loadedPrintParam());
    QTRY_VERIFY(last.isNull());
}

QTEST_MAIN(TstPrintParam)
#include "tst_printparam.moc"
