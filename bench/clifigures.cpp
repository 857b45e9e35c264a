// veltaro-cli's figures. Every run is a fresh veltaro-cli process, timed on this process's clock from
// just before it is started. This process serves its event loop all along: a printer running here reads
// the line, and the line speed with it, only when the loop runs, and the speed of a command written just
// before a close is gone once the tool has let the port go.
//   - `detect` without a link: the wizard's two search set-ups and floors, to the tool's answer and to
//     its end;
//   - `monitor printer --csv`: the period between samples, timed as their lines arrive here (the ms
//     column has whole milliseconds only);
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
using CliFigures::CliRun;
using CliFigures::nativeTool;
using CliFigures::runCli;
using CliFigures::Tool;

constexpr int kPrinterPort = 3;
constexpr int kFirstByteRuns = 5;
constexpr double kFirstByteGoalMs = 300;
constexpr double kPeriodS = 0.05;

QStringList withLink(QStringList arguments) {
    return arguments << QStringLiteral("--port") << QString::number(kPrinterPort) << QStringLiteral("--speed")
                     << QStringLiteral("9600") << QStringLiteral("--flow") << QStringLiteral("xon-xoff");
}

// The search has its answer when the tool has said it; the tool then holds the port a moment longer, as
// the wizard does, before it ends.
DetectionFigures::SearchRun searchRun(const PrinterHost&, bool printerExpected) {
    const CliRun run = runCli(nativeTool(), {QStringLiteral("detect")}, printerExpected ? 0 : 1, 60000);
    if (!run.error.isEmpty()) return {0, run.error};
    if (printerExpected && !run.out.startsWith("port: 6\n"))
        return {0, QStringLiteral("the printer is not on COM6")};
    return {run.msTo(run.lastWordNs), {}, run.msTo(run.endNs)};
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
        const CliRun run = runCli(nativeTool(), withLink({QStringLiteral("params")}), 0, 10000);
        if (!run.error.isEmpty() || !heardNs) {
            r.setup += QStringLiteral(": ") +
                       (run.error.isEmpty() ? QStringLiteral("the printer heard nothing") : run.error);
            return r;
        }
        ms.push_back(run.msTo(*heardNs));
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

Tool nativeTool() {
#ifdef VELTARO_CLI
    return {QStringLiteral("veltaro-cli"), QStringLiteral(VELTARO_CLI)};
#else
    return {QStringLiteral("veltaro-cli"), {}};
#endif
}

std::vector<double> linePeriodsMs(const std::vector<qint64>& lineNs, int wanted) {
    std::vector<double> periods;
    for (int i = MonitorFigures::kWarmUpSamples + 2; i <= wanted && i < int(lineNs.size()); ++i)
        periods.push_back(double(lineNs[i] - lineNs[i - 1]) / 1e6);
    return periods;
}

CliRun runCli(const Tool& tool, const QStringList& arguments, int expectedExit, int limitMs) {
    CliRun run;
    const QString command = tool.name + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    if (tool.program.isEmpty()) {
        run.error = tool.name + QStringLiteral(" is not built");
        return run;
    }
    QProcess process;
    QByteArray err;
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        const QByteArray bytes = process.readAllStandardOutput();
        run.lastWordNs = BoxWatcher::nowNs();
        run.outLineNs.insert(run.outLineNs.end(), bytes.count('\n'), run.lastWordNs);
        run.out += QByteArray(bytes).replace('\r', QByteArray());
    });
    QObject::connect(&process, &QProcess::readyReadStandardError, &loop, [&] {
        err += process.readAllStandardError();
        run.lastWordNs = BoxWatcher::nowNs();
    });
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        run.endNs = BoxWatcher::nowNs();
        loop.quit();
    });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) loop.quit();
    });
    const int limit = limitMs + tool.startLimitMs;
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    run.startNs = BoxWatcher::nowNs();
    process.start(tool.program, tool.leading + arguments);
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        run.error = command + QStringLiteral(" did not end within %1 s").arg(limit / 1000);
        return run;
    }
    err += process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != expectedExit)
        run.error = command + QStringLiteral(" ended with %1, not %2: %3")
                                  .arg(process.exitCode())
                                  .arg(expectedExit)
                                  .arg(QString::fromLocal8Bit(err.trimmed().split('\n').last().trimmed()));
    return run;
}

Report monitorReport(const Options& options, const QString& suite, const std::function<Tool()>& tool,
                     double p99LateMs, Spread* period) {
    PrinterHost host(PrinterHost::where(options.printers.front()), kPrinterPort, {});
    const Tool cli = tool();
    Report r{
        suite,
        cli.name +
            QStringLiteral(" monitor printer --csv, a printer at 9600 on COM3, periods between its lines as "
                           "they arrive, ") +
            host.description(),
        {}};
    const int wanted = MonitorFigures::kWarmUpSamples + options.samples + 1;
    const int seconds = int(std::ceil(wanted * kPeriodS)) + 2;
    if (!host.ready()) {
        r.setup += QStringLiteral(": ") + host.error();
        return r;
    }
    const CliRun run =
        runCli(cli,
               withLink({QStringLiteral("monitor"), QStringLiteral("printer"), QStringLiteral("--csv"),
                         QStringLiteral("--seconds"), QString::number(seconds)}),
               0, (seconds + 30) * 1000);
    if (!run.error.isEmpty()) {
        r.setup += QStringLiteral(": ") + run.error;
        return r;
    }
    // After the header "ms,value", one line per sample, written the moment its reply is in.
    if (run.out.left(run.out.indexOf('\n')) != "ms,value" || int(run.outLineNs.size()) < wanted + 1) {
        r.setup +=
            QStringLiteral(": %1 samples of %2").arg(std::max<int>(0, run.outLineNs.size() - 1)).arg(wanted);
        return r;
    }
    const Spread periods = spread(linePeriodsMs(run.outLineNs, wanted));
    if (period) *period = periods;
    r.figures = MonitorFigures::periodFigures(periods, p99LateMs);
    return r;
}

std::vector<Report> run(const Options& options) {
    std::vector<Report> reports =
        DetectionFigures::searchReports(options, QStringLiteral("cli"), QStringLiteral("detect"), &searchRun);
    for (Report& r : reports)
        r.setup = QStringLiteral("veltaro-cli detect, ") + r.setup;
    reports.push_back(
        monitorReport(options, QStringLiteral("cli"), &nativeTool, MonitorFigures::kCliP99LateMs));
    reports.push_back(firstByteReport());
    return reports;
}

} // namespace CliFigures
