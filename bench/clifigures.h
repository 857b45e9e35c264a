#pragma once

#include "benchkit.h"

// veltaro-cli as a script meets it: the automatic search of `detect`, the sampling period of
// `monitor --csv`, and the time from starting the tool to the printer hearing its first command.
namespace CliFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
// The Windows veltaro-cli.exe under Wine, against the same printers (windowsfigures.cpp).
std::vector<BenchKit::Report> runUnderWine(const BenchKit::Options& options);

// How a veltaro-cli is started: the program and what comes before the tool's own arguments (a
// launcher's), and the time it may take to come up, on top of each run's own limit.
struct Tool {
    QString name; // as the setup texts call it
    QString program;
    QStringList leading{};
    int startLimitMs = 0;
};

struct CliRun {
    QString error;                 // empty when the tool ended with the status expected
    QByteArray out;                // without the carriage returns of Windows line ends
    std::vector<qint64> outLineNs; // when each line of standard output reached this process
    qint64 startNs = 0;
    qint64 lastWordNs = 0; // the last output on either channel: the result, or why there is none
    qint64 endNs = 0;
    double msTo(qint64 ns) const { return double(ns - startNs) / 1e6; }
};
CliRun runCli(const Tool& tool, const QStringList& arguments, int expectedExit, int limitMs);
// veltaro-cli of this build.
Tool nativeTool();
// The periods between the sample lines that follow a header line, the warm-up's left out: `wanted` lines
// in all after the header, each at lineNs[i].
std::vector<double> linePeriodsMs(const std::vector<qint64>& lineNs, int wanted);

// `monitor printer --csv` against a printer at 9600 on COM3: the sampling period between the lines as
// they arrive, against 50 ms and a p99 at most p99LateMs late. `tool` is called once the printer is there.
// The spread of the periods goes to `period` too, when given.
BenchKit::Report monitorReport(const BenchKit::Options& options, const QString& suite,
                               const std::function<Tool()>& tool, double p99LateMs,
                               BenchKit::Spread* period = nullptr);
} // namespace CliFigures
