// The monitor's record: what its picture, its PDF and its samples hold, how a write fails, and the
// monitor page's menu, dialog and saves against the simulated printer, also when the page is left
// meanwhile.
#include "monitor/monitorfrm.h"
#include "monitor/recordmenu.h"
#include "monitor/stripchart.h"
#include "record/chartgeometry.h"
#include "record/recordfile.h"
#include "record/recordpainter.h"
#include "support/sensorsteps.h"
#include "support/sentreplies.h"

#include <QAccessible>
#include <QFileDialog>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest>

using namespace SensorSteps;
using Printer::Sample;

namespace {
const OptoParameterBlock kParams{0, 20, 70, 210, 115, 140};
const QColor kRed(255, 0, 0);

Record::Sheet sheetOf(std::vector<Sample> samples, const OptoParameterBlock& params = kParams) {
    Record::Sheet sheet;
    sheet.printerName = QStringLiteral("SIM-80 Receipt");
    sheet.port = 3;
    sheet.device = QStringLiteral("/dev/pts/9");
    sheet.speed = QStringLiteral("9600");
    sheet.handshake = 1;
    sheet.params = params;
    sheet.samples = std::move(samples);
    sheet.taken = QDateTime(QDate(2026, 12, 9), QTime(10, 30), QTimeZone(3600));
    return sheet;
}

std::vector<Sample> readings(const QList<int>& values, int fromMs = 0) {
    std::vector<Sample> samples;
    for (int i = 0; i < values.size(); ++i) {
        const qint64 ms = fromMs + i * Chart::kSampleIntervalMs;
        samples.push_back(values[i] < 0 ? Sample{ms, {}, {}} : Sample{ms, quint8(values[i]), {}});
    }
    return samples;
}

// Where a point of the chart lands on the record's picture drawn at twice the scale.
QPoint pixel(const Record::Sheet& sheet, QPointF user) {
    const QRectF area = Record::chartArea(sheet);
    return ((area.topLeft() + Chart::toPixels(Chart::kUserScale, user, area.size())) * 2).toPoint();
}

// The pens are one or two logical pixels wide: the colour is looked for a pixel or two around the point.
bool colourNear(const QImage& image, QPoint at, const QColor& colour) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixelColor(at + QPoint(dx, dy)) == colour) return true;
    return false;
}

QString pdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(20000)) return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {path});
    pdfinfo.waitForFinished(20000);
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(pdfinfo.readAllStandardOutput()));
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

MonitorFrm& openMonitor(Bench& bench, Sim::SimulatedPrinter** printer, const Sim::PrinterConfig& config = {}) {
    *printer = &printerAtStep2(bench, config);
    bench.wizard().state().printerName = QStringLiteral("SIM-80 Receipt");
    choose(bench, Sensor::Printer, Action::Monitor);
    step2(bench).Next->click();
    return bench.wizard().monitorFrm();
}

// The readings the printer sent for the ticks: its answers to GS o after the opening's first one.
QList<quint8> sentSamples(Sim::SimulatedPrinter& printer, const Sim::PrinterConfig& config) {
    return repliesTo(config, printer.transcript(), "\x1do").mid(1);
}

// Answers the next file dialog with `path` (empty: cancels it): `seen` looks at the dialog as it opened,
// `meanwhile` runs once the file is chosen and before the dialog is accepted. Given up with `owner`.
void answerDialog(QObject& owner, const QString& path, std::function<void(QFileDialog&)> seen,
                  std::function<void()> meanwhile = {}) {
    auto* timer = new QTimer(&owner);
    auto looked = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        if (!*looked && seen) seen(*dialog);
        *looked = true;
        if (path.isEmpty()) {
            timer->deleteLater();
            return dialog->reject();
        }
        // The choice as the dialog announces it: its own name field, filled once it has read the folder and
        // fitted to its file type, is no part of what the page does with the choice.
        timer->deleteLater();
        if (meanwhile) meanwhile();
        QMetaObject::invokeMethod(dialog, [dialog, path] {
            emit dialog->fileSelected(path);
            dialog->reject();
        }, Qt::QueuedConnection);
    });
    timer->start(10);
}
} // namespace

class TstRecord : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() { Q_INIT_RESOURCE(resources); }

    // Each stored level is a line in its colour across the chart; a later line covers an earlier one at the
    // same height, a level at 0 covers the time axis; the near-end sensor's record has none.
    void referenceLines_data() {
        QTest::addColumn<bool>("printerSensor");
        QTest::addColumn<OptoParameterBlock>("params");
        QTest::newRow("five levels") << true << kParams;
        QTest::newRow("a level at 0 over the axis, one at 255") << true << OptoParameterBlock{1, 0, 70, 255, 115, 140};
        QTest::newRow("two at one height") << true << OptoParameterBlock{0, 20, 115, 210, 115, 140};
        QTest::newRow("near-end sensor") << false << kParams;
    }
    void referenceLines() {
        QFETCH(bool, printerSensor);
        QFETCH(OptoParameterBlock, params);
        Record::Sheet sheet = sheetOf(readings(QList<int>(60, 240)), params);
        if (!printerSensor) sheet.sensor = Printer::Sensor::NearEnd;
        const QImage image = Record::picture(sheet, 2);
        QCOMPARE(image.size(), (Record::size(sheet) * 2).toSize());
        std::map<int, QColor> expected; // the last line drawn at a height wins
        for (const Chart::ReferenceLine& line : Chart::referenceLines(params))
            expected[line.value] = line.colour;
        for (const auto& [value, colour] : expected)
            for (double x : {3.0, 15.0, 28.0})
                QVERIFY2(colourNear(image, pixel(sheet, {x, double(value)}), colour) == printerSensor,
                         qPrintable(QStringLiteral("%1 at x %2").arg(value).arg(x)));
    }

    // The trace joins the samples in their order, x by their time, and breaks where samples are missing; a
    // run longer than a sweep is squeezed onto the axis, whose time base says so.
    void trace_data() {
        QTest::addColumn<QList<int>>("values"); // -1: missing
        QTest::addColumn<QString>("timeBase");
        QList<int> sweep;
        for (int i = 0; i < 60; ++i)
            sweep << (i * 37) % 256;
        QTest::newRow("a sweep") << sweep << "Time base: 500ms";
        QTest::newRow("a gap") << QList<int>{30, 40, 50, -1, -1, -1, -1, 60, 70, 80} << "Time base: 500ms";
        QList<int> long_(200, 0);
        long_[100] = 255;
        QTest::newRow("ten seconds") << long_ << "Time base: 1658ms";
    }
    void trace() {
        QFETCH(QList<int>, values);
        QFETCH(QString, timeBase);
        const Record::Sheet sheet = sheetOf(readings(values), {0, 0, 0, 0, 0, 0});
        QCOMPARE(Record::timeBaseText(Record::spanMs(sheet.samples)), timeBase);
        const QImage image = Record::picture(sheet, 2);
        const double span = double(Record::spanMs(sheet.samples));
        const auto x = [&](qsizetype i) { return i * Chart::kSampleIntervalMs * Chart::kSweepWidth / span; };
        for (qsizetype i = 0; i < values.size(); ++i)
            if (values[i] >= 0)
                QVERIFY2(colourNear(image, pixel(sheet, {x(i), double(values[i])}), kRed), qPrintable(QString::number(i)));
        const qsizetype gap = values.indexOf(-1);
        if (gap < 0) return;
        // Across the gap, half way between the readings on either side: nothing drawn.
        const QPointF middle((x(gap - 1) + x(gap + 4)) / 2, (values[gap - 1] + values[gap + 4]) / 2.0);
        QVERIFY(!colourNear(image, pixel(sheet, middle), kRed));
    }

    // The PDF is one page whose text names the printer, its link and every parameter as the sheet shows
    // it; the parameter command's record is the block alone.
    void pdfHoldsTheBlock_data() {
        QTest::addColumn<bool>("chart");
        QTest::newRow("monitor's record") << true;
        QTest::newRow("the block alone") << false;
    }
    void pdfHoldsTheBlock() {
        QFETCH(bool, chart);
        Record::Sheet sheet = sheetOf(readings({100, 110, 120}));
        sheet.chart = chart;
        const QString path = file(QStringLiteral("r.pdf"));
        const Record::Written written = Record::write(path, sheet);
        QVERIFY2(written.ok, qPrintable(written.problem));
        QCOMPARE(pdfPages(path), 1);
        const QString text = pdfText(path);
        for (const char* expected :
             {"Printer: SIM-80 Receipt", "Port: COM3, /dev/pts/9", "Speed: 9600 bauds, Xon-Xoff",
              "Sensor: printer opto-sensor, reflective", "Reflective Optosensor", "Black Level : 20",
              "Mark / Backing Level : 70", "Paper Level : 210", "Paper Threshold : 115",
              "Mark / Backing Threshold : 140", "Recorded: 2026-12-09T10:30:00+01:00", "Recorded by Veltaro 1.0"})
            QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(QString(expected) + "\n" + text));
        QCOMPARE(text.contains(QLatin1String("Time base: 500ms")), chart);
    }

    void csv_data() {
        QTest::addColumn<bool>("nearEnd");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("printer sensor, a sample missing") << false << QByteArray("ms,value\n0,12\n50,\n100,255\n");
        QTest::newRow("near-end sensor") << true << QByteArray("ms,value,near_end\n0,12,1\n50,,\n100,255,0\n");
    }
    void csv() {
        QFETCH(bool, nearEnd);
        QFETCH(QByteArray, expected);
        Record::Sheet sheet = sheetOf({{0, 12, 1}, {50, {}, {}}, {100, 255, 0}});
        if (nearEnd) sheet.sensor = Printer::Sensor::NearEnd;
        for (Sample& s : sheet.samples)
            if (!nearEnd) s.nearEnd.reset();
        QCOMPARE(Record::csv(sheet), expected);
    }

    // Root writes anywhere: a folder that cannot be written is one under a regular file, or one that is
    // not there. One message names the path, and no file is left behind.
    void failedWrite_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder under a regular file") << "file.txt/r.png" << "The record could not be written to ";
        QTest::newRow("folder not there") << "none/r.pdf" << "The record could not be written to ";
        QTest::newRow("unknown suffix") << "r.jpg" << "the file name must end in .png, .pdf or .csv";
    }
    void failedWrite() {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const auto file = [&](const QString& name) { return dir.filePath(name); };
        QFile regular(file(QStringLiteral("file.txt")));
        QVERIFY(regular.open(QIODevice::WriteOnly));
        regular.close();
        const Record::Written written = Record::write(file(path), sheetOf(readings({1, 2})));
        QVERIFY(!written.ok);
        QVERIFY2(written.problem.contains(message) && written.problem.contains(QDir::toNativeSeparators(file(path))),
                 qPrintable(written.problem));
        QVERIFY(!QFileInfo::exists(file(path)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"file.txt"});
    }

    // The chart's menu is reached by the mouse, the Menu key and Shift+F10, and by a screen reader with
    // its role; each entry opens a named file dialog, which starts where the last record went, and the
    // record written holds what the printer sent.
    void pageSaves_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("picture by the mouse") << "mouse" << "r.png";
        QTest::newRow("PDF by the Menu key") << "menu key" << "r.pdf";
        QTest::newRow("samples by Shift+F10") << "shift+f10" << "r.csv";
        QTest::newRow("picture by Ctrl+S") << "ctrl+s" << "ctrl-s.png";
    }
    void pageSaves() {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        // Each row a file of its own (an existing one would be asked about first), in a folder below the
        // one the dialog starts in: the next dialog starts there.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const auto file = [&](const QString& n) { return dir.filePath("sub/" + n); };
        Bench bench;
        Sim::SimulatedPrinter* printer = nullptr;
        MonitorFrm& monitor = openMonitor(bench, &printer);
        monitor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&monitor));
        QTRY_VERIFY_WITH_TIMEOUT(sentSamples(*printer, {}).size() >= 20, 10000);
        QMenu* menu = monitor.record().menu();
        if (entry == "mouse")
            QTest::mouseClick(monitor.windowHandle(), Qt::RightButton, {},
                          monitor.Picture1->mapTo(&monitor, monitor.Picture1->rect().center()));
        else if (entry == "menu key")
            QTest::keyClick(&monitor, Qt::Key_Menu);
        else if (entry == "shift+f10")
            QTest::keyClick(&monitor, Qt::Key_F10, Qt::ShiftModifier);
        QSignalSpy written(&monitor.record(), &RecordMenu::written);
        QString folderSeen, dialogName;
        QObject answers;
        answerDialog(answers, file(name), [&](QFileDialog& dialog) {
            folderSeen = dialog.directory().absolutePath();
            dialogName = dialog.accessibleName();
        });
        bench.wizard().state().recordFolder = dir.path();
        if (entry == "ctrl+s") {
            QTest::keyClick(&monitor, Qt::Key_S, Qt::ControlModifier);
        } else {
            QTRY_VERIFY(menu->isVisible());
            QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(menu);
            QCOMPARE(shown->role(), QAccessible::PopupMenu);
            QCOMPARE(shown->child(0)->role(), QAccessible::MenuItem);
            QCOMPARE(shown->child(0)->text(QAccessible::Name), "Save picture...");
            QCOMPARE(shown->child(1)->text(QAccessible::Name), "Save samples...");
            QAccessibleInterface* item = shown->child(name.endsWith("csv") ? 1 : 0);
            item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        }
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 10000);
        QCOMPARE(folderSeen, dir.path());
        QCOMPARE(dialogName, name.endsWith("csv") ? "Save samples" : "Save picture");
        QCOMPARE(written.at(0).at(1).toString(), QString());
        QCOMPARE(bench.wizard().state().recordFolder, dir.filePath("sub"));
        const QList<quint8> sent = sentSamples(*printer, {});
        if (name.endsWith("csv")) {
            QFile csv(file(name));
            QVERIFY(csv.open(QIODevice::ReadOnly));
            const QStringList rows = QString::fromLatin1(csv.readAll()).split('\n', Qt::SkipEmptyParts);
            QCOMPARE(rows.value(0), "ms,value");
            QVERIFY(rows.size() > 20);
            // The page takes every tick as 50 ms: a row's time tells which of the printer's readings it is.
            for (qsizetype i = 1; i < rows.size(); ++i)
                QCOMPARE(rows[i].section(',', 1).toInt(), int(sent.value(rows[i].section(',', 0, 0).toInt() / 50)));
        } else if (name.endsWith("png")) {
            const QImage image(file(name));
            const Record::Sheet sheet = sheetOf({});
            QVERIFY(!image.isNull());
            QVERIFY(colourNear(image, pixel(sheet, {15, double(printer->model().optoParams()[3])}),
                               QColor(0, 255, 0)));
        } else {
            const QString text = pdfText(file(name));
            QVERIFY2(text.contains("Paper Level : 210"), qPrintable(text));
        }
    }

    // The trace on the record's picture is the printer's readings, sample by sample.
    void pictureFollowsThePrinter() {
        Bench bench;
        Sim::SimulatedPrinter* printer = nullptr;
        MonitorFrm& monitor = openMonitor(bench, &printer, {.paperPresent = true});
        monitor.MonitorTimer->stop();
        for (int i = 0; i < 40; ++i)
            QMetaObject::invokeMethod(&monitor, "MonitorTimer_Timer");
        const Record::Sheet sheet = monitor.recordSheet();
        const QList<quint8> sent = sentSamples(*printer, {.paperPresent = true});
        QCOMPARE(qsizetype(sheet.samples.size()), sent.size());
        const QImage image = Record::picture(sheet, 2);
        for (qsizetype i = 0; i < sent.size(); ++i) {
            const double x = i * Chart::kSampleIntervalMs * Chart::kSweepWidth / Chart::kSweepMs;
            QVERIFY2(colourNear(image, pixel(sheet, {x, double(sent[i])}), kRed), qPrintable(QString::number(i)));
        }
        QVERIFY(Record::blockLines(sheet).front().text == "Printer: SIM-80 Receipt");
        QCOMPARE(Record::blockLines(sheet).at(2).text, "Speed: 9600 bauds, Xon-Xoff");
    }

    // Ctrl+S while a tick waits for its reply: the dialog opens once the tick is done, and the printer
    // goes on being sampled while it is open.
    void dialogAskedDuringATick() {
        Bench bench;
        Sim::SimulatedPrinter* printer = nullptr;
        MonitorFrm& monitor = openMonitor(bench, &printer);
        printer->setFaults({.onlyFor = "\x1do", .delayMs = 100});
        const auto asked = [&] { return bench.commandsHex(kPort).count("1d 6f"); };
        qsizetype askedInDialog = 0;
        QObject answers;
        answerDialog(answers, file(QStringLiteral("tick.png")), {}, [&] {
            const qsizetype before = asked();
            QTest::qWait(800);
            askedInDialog = asked() - before;
        });
        QSignalSpy written(&monitor.record(), &RecordMenu::written);
        onCommand(*printer, "\x1do", [&] { monitor.record().savePicture()->trigger(); });
        QTRY_COMPARE_WITH_TIMEOUT(written.size(), 1, 10000);
        QVERIFY2(askedInDialog >= 2, qPrintable(QString::number(askedInDialog)));
        monitor.Back->click();
    }

    // Back while the dialog is open, or while the record is being written: the record asked for is written
    // whole, and nothing touches the page that went.
    void leftMeanwhile_data() {
        QTest::addColumn<bool>("inDialog");
        QTest::newRow("Back while the dialog is open") << true;
        QTest::newRow("Back while the write runs") << false;
    }
    void leftMeanwhile() {
        QFETCH(bool, inDialog);
        Bench bench;
        Sim::SimulatedPrinter* printer = nullptr;
        MonitorFrm& monitor = openMonitor(bench, &printer);
        QTRY_VERIFY_WITH_TIMEOUT(sentSamples(*printer, {}).size() >= 5, 10000);
        const QPointer<MonitorFrm> page(&monitor);
        const QString path = file(QStringLiteral("left.pdf"));
        QObject answers;
        if (inDialog) {
            answerDialog(answers, path, {}, [&] { page->Back->click(); });
            monitor.record().savePicture()->trigger();
        } else {
            monitor.record().save(path);
            monitor.Back->click();
        }
        QTRY_VERIFY(!page);
        QVERIFY(step2(bench).isVisible());
        QVERIFY2(pdfText(path).contains("Black Level : 20"), qPrintable(bench.boxes().texts().join('\n')));
    }
};

QTEST_MAIN(TstRecord)
#include "tst_record.moc"
