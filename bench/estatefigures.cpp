#include "estatefigures.h"

#include "support/ptypair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

using namespace BenchKit;

constexpr int kPrinters = 64;
constexpr double kRatioGoal = 1.3;
constexpr double kMemoryGoalMiB = 150;
constexpr int kRunLimitMs = 600000;

// Most printers at 9600, every eighth at another speed; the first in its firmware loader, two silent.
Sim::PrinterConfig configOf(int i) {
    static const int others[] = {19200, 4800, 115200, 1200, 38400, 57600, 2400, 28800};
    Sim::PrinterConfig config;
    config.speed = i % 8 == 7 ? others[(i / 8) % 8] : 9600;
    config.loaderMode = i == 0;
    config.paperPresent = i % 3 != 0;
    config.nearEnd = i % 5 == 0;
    return config;
}

double childrenCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The memory of a process and its children, in KiB: the proportional share (shared pages split among
// the processes that map them) and the plain resident sum.
std::pair<double, double> treeMemoryKiB(qint64 root) {
    double pss = 0, rss = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
        if (pid.toLongLong() != root && fields.value(1).toLongLong() != root) continue;
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.value(0) == "Pss:") pss += words.value(1).toDouble();
            if (words.value(0) == "Rss:") rss += words.value(1).toDouble();
        }
    }
    return {pss, rss};
}

struct CheckRun {
    double ms = 0, cpuMs = 0, peakPssMiB = 0, peakRssMiB = 0;
    int lines = 0;
};

// veltaro-cli check while this process serves the printers.
CheckRun runCheck(const QStringList& arguments) {
    CheckRun run;
    const double cpuBefore = childrenCpuMs();
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(VELTARO_CLI),
                  QStringList{QStringLiteral("check"), QStringLiteral("--json")} + arguments);
    process.waitForStarted();
    serveUntil(
        [&] {
            if (process.state() == QProcess::NotRunning) return true;
            const auto [pss, rss] = treeMemoryKiB(process.processId());
            run.peakPssMiB = std::max(run.peakPssMiB, pss / 1024);
            run.peakRssMiB = std::max(run.peakRssMiB, rss / 1024);
            return false;
        },
        kRunLimitMs, 20);
    run.ms = double(clock.elapsed());
    run.cpuMs = childrenCpuMs() - cpuBefore;
    run.lines = int(process.readAllStandardOutput().count('\n'));
    return run;
}

// One ser2net serving every printer, a port each (RFC 2217 on loopback). Null when it does not listen.
std::unique_ptr<QProcess> serveAll(const QStringList& devices, const QString& folder, QStringList* urls) {
    QFile file(folder + QStringLiteral("/ser2net.yaml"));
    if (!file.open(QIODevice::WriteOnly)) return nullptr;
    quint16 last = 0;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        last = Ser2Net::freePort();
        file.write(QStringLiteral("connection: &printer%1\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,9600n81,local\n  options:\n"
                                  "    max-connections: 1\n    chardelay: false\n")
                       .arg(i)
                       .arg(last)
                       .arg(devices[i])
                       .toUtf8());
        *urls << QStringLiteral("rfc2217://127.0.0.1:%1").arg(last);
    }
    file.close();
    auto server = std::make_unique<QProcess>();
    server->setStandardOutputFile(QProcess::nullDevice());
    server->setStandardErrorFile(QProcess::nullDevice());
    server->start(QStringLiteral("ser2net"), {"-n", "-d", "-c", file.fileName()});
    // Listening once its last port can no longer be taken.
    const bool up =
        serveUntil([&] { return !QTcpServer().listen(QHostAddress::LocalHost, last); }, 10000, 50);
    return up ? std::move(server) : nullptr;
}

Report estateReport(const QString& setup, const QStringList& ports, const QString& folder) {
    Report report{QStringLiteral("estate"), setup, {}};
    QFile list(folder + QStringLiteral("/ports"));
    if (!list.open(QIODevice::WriteOnly)) return report;
    double slowest = 0, oneAfterAnother = 0;
    for (const QString& port : ports) {
        const CheckRun single = runCheck({QStringLiteral("--port"), port});
        slowest = std::max(slowest, single.ms);
        oneAfterAnother += single.ms;
        list.write((port + QLatin1Char('\n')).toUtf8());
    }
    list.close();
    const CheckRun all = runCheck({QStringLiteral("--ports-from"), list.fileName()});
    report.figures.push_back(
        floorFigure(QStringLiteral("all %1 at once (floor: the slowest alone)").arg(ports.size()), all.ms,
                    QStringLiteral("ms"), slowest, QStringLiteral("<= 1.3 x the slowest alone"),
                    all.ms <= slowest * kRatioGoal));
    report.figures.push_back(
        {QStringLiteral("one after another (before)"), oneAfterAnother, QStringLiteral("ms"), {}, {}});
    report.figures.push_back(goalFigure(QStringLiteral("results"), all.lines, {},
                                        QString::number(ports.size()), all.lines == ports.size()));
    report.figures.push_back(
        {QStringLiteral("CPU of the whole run"), all.cpuMs, QStringLiteral("ms"), {}, {}});
    report.figures.push_back(goalFigure(QStringLiteral("peak memory in all (proportional set)"),
                                        all.peakPssMiB, QStringLiteral("MiB"), QStringLiteral("< 150 MiB"),
                                        all.peakPssMiB < kMemoryGoalMiB));
    report.figures.push_back(
        {QStringLiteral("peak memory, resident sets added"), all.peakRssMiB, QStringLiteral("MiB"), {}, {}});
    return report;
}

} // namespace

namespace EstateFigures {

std::vector<Report> run(const Options&) {
    TestPortFolder ports; // the tool's port folder: the machine's own ports out of sight
    for (int n = 1; n <= 6; ++n)
        ports.setPort(n, QStringLiteral("/nonexistent/tty%1").arg(n));
    QTemporaryDir farSide;
    std::vector<std::unique_ptr<Sim::SimulatedPrinter>> printers;
    QStringList devices;
    for (int i = 0; i < kPrinters; ++i) {
        auto& p = printers.emplace_back(std::make_unique<Sim::SimulatedPrinter>(configOf(i)));
        p->attach(farSide.path(), i + 1);
        if (i == 1 || i == 2) p->setFaults({.silent = true});
        devices << p->devicePath();
    }
    // The machine's load beside the figures: 64 checks at once share its processors with all else that runs.
    QFile load(QStringLiteral("/proc/loadavg"));
    const QString loadText = load.open(QIODevice::ReadOnly)
                                 ? QString::fromLatin1(load.readAll()).section(' ', 0, 0)
                                 : QStringLiteral("?");
    const QString setup =
        QStringLiteral(
            "%1 printers (7 at other speeds, 1 in its firmware loader, 2 silent), load %2 at the start")
            .arg(kPrinters)
            .arg(loadText);
    std::vector<Report> reports;
    QStringList urls;
    if (const auto server = serveAll(devices, farSide.path(), &urls)) {
        reports.push_back(
            estateReport(setup + QStringLiteral(" behind one ser2net on loopback"), urls, farSide.path()));
        server->kill();
        server->waitForFinished();
    }
    reports.push_back(estateReport(setup + QStringLiteral(" on pseudo-terminals"), devices, farSide.path()));
    return reports;
}

} // namespace EstateFigures
