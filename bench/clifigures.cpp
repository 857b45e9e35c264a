// veltaro-cli's figures. Every run is a fresh veltaro-cli process, timed on this process's clock from
// just before it is started. This process serves its event loop all along: a printer running here reads
// the line, and the line speed with it, only when the loop runs, and the speed of a command written just
// before a close is gone once the tool has let the port go.
//   - `detect` without a link: the wizard's two search set-ups and floors; a search ends when the tool
//     does, as a script waiting for it sees it;
//   - `monitor printer --csv`: the period between samples from the tool's own ms column;
//   - `params` on a given link: start to the printer hearing the first command (printer in this process,
//     so that both ends are on one clock).
#include "clifigures.h"

#include "detectionfigures.h"
#include "monitorfigures.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>

namespace {

using namespace BenchKit;

constexpr int kPrinterPort = 3;
constexpr int kFirstByteRuns = 5;
constexpr double kFirstByteGoalMs = 300;
constexpr double kPeriodS = 0.05;

QStringList withLink(QStringList arguments) {
    return arguments << QStringLiteral("--port") << QString::number(kPrinterPort) << QStringLiteral("--speed")
                     << QStringLiteral("9600") << QStringLiteral("--flow") << QStringLiteral("xon-xoff");
}

struct CliRun {
    QString error; // empty when the tool ended with the status expected
    QByteArray out;
    qint64 startNs = 0, endNs = 0;
    double ms() const { return double(endNs - startNs) / 1e6; }
};

CliRun runCli(const QStringList& arguments, int expectedExit, int limitMs) {
    CliRun run;
#ifdef VELTARO_CLI
    QProcess process;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop,
                     [&] { run.out += process.readAllStandardOutput(); });
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        run.endNs = BoxWatcher::nowNs();
        loop.quit();
    });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    run.startNs = BoxWatcher::nowNs();
    process.start(QStringLiteral(VELTARO_CLI), arguments);
    loop.exec();
    const QString command = QStringLiteral("veltaro-cli ") + arguments.join(QLatin1Char(' '));
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        run.error = command + QStringLiteral(" did not end within %1 s").arg(limitMs / 1000);
        return run;
    }
    run.out += process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != expectedExit)
        run.error = command + QStringLiteral(" ended with %1, not %2: %3")
                                  .arg(process.exitCode())
                                  .arg(expectedExit)
                                  .arg(QString::fromLocal8Bit(process.readAllStandardError().trimmed()));
#else
    Q_UNUSED(arguments);
    Q_UNUSED(expectedExit);
    Q_UNUSED(limitMs);
    run.error = QStringLiteral("veltaro-cli is not built");
#endif
    return run;
}

DetectionFigures::SearchRun searchRun(bool printerExpected) {
    const CliRun run = runCli({QStringLiteral("detect")}, printerExpected ? 0 : 1, 60000);
    if (!run.error.isEmpty()) return {0, run.error};
    if (printerExpected && !run.out.startsWith("port: 6\n"))
        return {0, QStringLiteral("the printer is not on COM6")};
    return {run.ms(), {}};
}

Report monitorReport(const Options& options) {
    PrinterHost host(PrinterHost::where(options.printers.front()), kPrinterPort, {});
    Report r{
        QStringLiteral("cli"),
        QStringLiteral("veltaro-cli monitor printer --csv, a printer at 9600 on COM3, periods from its ms "
                       "column (1 ms steps), ") +
            host.description(),
        {}};
    const int wanted = MonitorFigures::kWarmUpSamples + options.samples + 1;
    const int seconds = int(std::ceil(wanted * kPeriodS)) + 2;
    if (!host.ready()) {
        r.setup += QStringLiteral(": ") + host.error();
        return r;
    }
    const CliRun run =
        runCli(withLink({QStringLiteral("monitor"), QStringLiteral("printer"), QStringLiteral("--csv"),
                         QStringLiteral("--seconds"), QString::number(seconds)}),
               0, (seconds + 30) * 1000);
    if (!run.error.isEmpty()) {
        r.setup += QStringLiteral(": ") + run.error;
        return r;
    }
    std::vector<double> sampleMs; // after the header "ms,value", one "ms,value" line per sample
    for (const QByteArray& line : run.out.split('\n').mid(1))
        if (!line.isEmpty()) sampleMs.push_back(line.split(',').value(0).toDouble());
    if (int(sampleMs.size()) < wanted) {
        r.setup += QStringLiteral(": %1 samples of %2").arg(sampleMs.size()).arg(wanted);
        return r;
    }
    std::vector<double> periods;
    for (int i = MonitorFigures::kWarmUpSamples + 1; i < wanted; ++i)
        periods.push_back(sampleMs[i] - sampleMs[i - 1]);
    r.figures = MonitorFigures::periodFigures(spread(periods));
    return r;
}

Report firstByteReport() {
    PrinterHost host(PrinterHost::Where::InProcess, kPrinterPort, {});
    Report r{
        QStringLiteral("cli"),
        QStringLiteral("veltaro-cli params --port 3 --speed 9600 --flow xon-xoff, %1 runs, a printer at 9600 "
                       "on COM3, ")
                .arg(kFirstByteRuns) +
            host.description(),
        {}};
    if (!host.ready()) {
        r.setup += QStringLiteral(": ") + host.error();
        return r;
    }
    std::optional<qint64> heardNs;
    QObject::connect(host.printers().front().get(), &Sim::SimulatedPrinter::commandReceived,
                     host.printers().front().get(), [&] {
                         if (!heardNs) heardNs = BoxWatcher::nowNs();
                     });
    std::vector<double> ms;
    for (int i = 0; i < kFirstByteRuns; ++i) {
        heardNs.reset();
        const CliRun run = runCli(withLink({QStringLiteral("params")}), 0, 10000);
        if (!run.error.isEmpty() || !heardNs) {
            r.setup += QStringLiteral(": ") +
                       (run.error.isEmpty() ? QStringLiteral("the printer heard nothing") : run.error);
            return r;
        }
        ms.push_back(double(*heardNs - run.startNs) / 1e6);
    }
    const Spread s = spread(ms);
    Figure slowest = goalFigure(QStringLiteral("start to first command heard, max"), s.max,
                                QStringLiteral("ms"), QStringLiteral("< 300 ms"), s.max < kFirstByteGoalMs);
    slowest.floorText = QStringLiteral("none");
    r.figures = {
        slowest,
        {QStringLiteral("start to first command heard, mean"), s.mean, QStringLiteral("ms"), {}, {}}};
    return r;
}

} // namespace

namespace CliFigures {

std::vector<Report> run(const Options& options) {
    std::vector<Report> reports = DetectionFigures::searchReports(
        options, QStringLiteral("cli"), QStringLiteral("veltaro-cli detect"), &searchRun);
    for (Report& r : reports)
        r.setup = QStringLiteral("veltaro-cli detect, ") + r.setup;
    reports.push_back(monitorReport(options));
    reports.push_back(firstByteReport());
    return reports;
}

} // namespace CliFigures
