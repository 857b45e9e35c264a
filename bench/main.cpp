// veltaro-bench: runs the bench suites named on the command line (all of them without a name), prints
// their figures as a table and writes them as JSON. Exit status 0 when every goal is met, 1 when one is
// missed, 2 when a suite could not run.
#include "benchkit.h"
#include "runfigures.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>

#include <cstdio>

#include <sys/utsname.h>

using namespace BenchKit;

namespace {

// The serial layer writes and syncs a lock file there at every open of a port; on a disk rather than
// tmpfs, that sync alone can cost milliseconds per sample.
QString lockFolderFileSystem() {
    return QString::fromLatin1(QStorageInfo(QStringLiteral("/var/lock")).fileSystemType());
}

QString number(double value) {
    return value == double(qint64(value)) ? QString::number(qint64(value)) : QString::number(value, 'f', 3);
}

QString formatValue(const Figure& f) {
    return f.unit.isEmpty() ? number(f.value) : number(f.value) + QLatin1Char(' ') + f.unit;
}

QString formatFloor(const Figure& f) {
    if (f.floor) return number(*f.floor) + (f.unit.isEmpty() ? QString() : QLatin1Char(' ') + f.unit);
    return f.floorText;
}

QString formatRatio(const Figure& f) {
    return f.floor && *f.floor > 0 ? QString::number(f.value / *f.floor, 'f', 3) : QString();
}

// The machine the figures are from, as the README gives it.
struct Machine {
    int cpus = 0;
    QString kernel, cpuModel;
};

Machine machine() {
    Machine m;
    m.cpus = QThread::idealThreadCount();
    utsname names{};
    if (::uname(&names) == 0) m.kernel = QString::fromLocal8Bit(names.release);
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly))
        for (const QByteArray& line : cpuinfo.readAll().split('\n'))
            if (line.startsWith("model name")) {
                m.cpuModel = QString::fromLocal8Bit(line.mid(line.indexOf(':') + 1).trimmed());
                break;
            }
    return m;
}

void printReport(const Report& report) {
    std::printf("\n%s: %s\n", qPrintable(report.suite), qPrintable(report.setup));
    if (report.figures.empty()) return;
    for (const Figure& f : report.figures) {
        const char* verdict = !f.met ? "" : *f.met ? "met" : "MISSED";
        std::printf("  %-34s %-22s %-12s %-7s %-20s %s\n", qPrintable(f.name), qPrintable(formatValue(f)),
                    qPrintable(formatFloor(f)), qPrintable(formatRatio(f)), qPrintable(f.goal), verdict);
    }
}

QJsonObject toJson(const Report& report) {
    QJsonArray figures;
    for (const Figure& f : report.figures) {
        QJsonObject o{{"name", f.name}, {"value", f.value}, {"unit", f.unit}};
        if (!f.goal.isEmpty()) o.insert("goal", f.goal);
        if (f.met) o.insert("met", *f.met);
        if (f.floor) {
            o.insert("floor", *f.floor);
            if (*f.floor > 0) o.insert("ratio", f.value / *f.floor);
        } else if (!f.floorText.isEmpty()) {
            o.insert("floor", f.floorText);
        }
        figures.append(o);
    }
    return {{"suite", report.suite}, {"setup", report.setup}, {"figures", figures}};
}

bool writeJson(const QString& path, const std::vector<Report>& reports) {
    QJsonArray all;
    for (const Report& r : reports)
        all.append(toJson(r));
    const Machine m = machine();
    const QJsonObject document{{"when", QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                               {"machine", QJsonObject{{"host", QSysInfo::machineHostName()},
                                                       {"system", QSysInfo::prettyProductName()},
                                                       {"cpus", m.cpus},
                                                       {"kernel", m.kernel},
                                                       {"cpuModel", m.cpuModel},
                                                       {"lockFolderFileSystem", lockFolderFileSystem()}}},
                               {"reports", all}};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(QJsonDocument(document).toJson()) > 0;
}

} // namespace

int main(int argc, char** argv) {
    // The pages are real widgets; they need a platform but not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Timing and CPU figures of Veltaro against the simulated printer."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("suite"), QStringLiteral("Suites to run (default: all)."));
    parser.addOptions({
        {"list", "Lists the suites."},
        {"json", "Writes the figures to this file.", "FILE"},
        {"samples", "Samples per measurement (default 600).", "N", "600"},
        {"printer", "Where the simulated printer runs: process, inprocess or both (default both).", "WHERE",
         "both"},
        {"wizard-run", "(internal) The child of the wizard suite, started at this CLOCK_MONOTONIC time.",
         "NS"},
    });
    parser.process(app);
    if (parser.isSet("wizard-run"))
        return RunFigures::wizardRunChild(parser.value("wizard-run").toLongLong());

    if (parser.isSet("list")) {
        for (const Suite& s : suites())
            std::printf("%-12s %s\n", qPrintable(s.name), qPrintable(s.description));
        return 0;
    }
    Options options;
    bool ok = false;
    options.samples = parser.value("samples").toInt(&ok);
    if (!ok || options.samples < 2) {
        std::fprintf(stderr, "veltaro-bench: --samples wants a number of 2 or more\n");
        return 2;
    }
    const QString printer = parser.value("printer");
    if (printer == QLatin1String("process") || printer == QLatin1String("inprocess"))
        options.printers = {printer};
    else if (printer != QLatin1String("both")) {
        std::fprintf(stderr, "veltaro-bench: --printer is process, inprocess or both\n");
        return 2;
    }

    const QStringList named = parser.positionalArguments();
    QStringList wanted = named;
    std::vector<Report> reports;
    for (const Suite& s : suites()) {
        if (named.isEmpty() ? !s.inDefaultRun : !wanted.removeAll(s.name)) continue;
        std::printf("running %s (%s)...\n", qPrintable(s.name), qPrintable(s.description));
        for (Report& r : s.run(options))
            reports.push_back(std::move(r));
    }
    if (!wanted.isEmpty()) {
        std::fprintf(stderr, "veltaro-bench: no such suite: %s\n", qPrintable(wanted.join(", ")));
        return 2;
    }

    const Machine m = machine();
    std::printf("\nmachine: %d CPUs, kernel %s, %s; port lock files (/var/lock) on %s\n", m.cpus,
                qPrintable(m.kernel), qPrintable(m.cpuModel), qPrintable(lockFolderFileSystem()));
    std::printf("  %-34s %-22s %-12s %-7s %-20s %s\n", "figure", "value", "floor", "ratio", "goal", "");
    int status = 0;
    for (const Report& r : reports) {
        printReport(r);
        if (r.figures.empty()) status = 2;
        for (const Figure& f : r.figures)
            if (f.met && !*f.met && status == 0) status = 1;
    }
    if (parser.isSet("json")) {
        if (!writeJson(parser.value("json"), reports)) {
            std::fprintf(stderr, "veltaro-bench: cannot write %s\n", qPrintable(parser.value("json")));
            return 2;
        }
        std::printf("\nfigures written to %s\n", qPrintable(parser.value("json")));
    }
    return status;
}
