#pragma once

// The pieces every bench suite uses: what a suite reports (figures with their goals), the statistics
// of a series of intervals, the process's CPU clock, and a simulated printer named as a COM port in a
// private port folder, running either in this process or as veltaro-printer-sim in its own.
//
// A suite is a function from the options to its reports; suites.cpp lists them by name.

#include "simulatedprinter.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace BenchKit {

struct Figure {
    QString name;
    double value = 0;
    QString unit;
    QString goal;            // in words, empty for a figure given for information
    std::optional<bool> met; // unset for a figure without a goal
};

struct Report {
    QString suite;
    QString setup; // what ran against what
    std::vector<Figure> figures;
};

struct Options {
    int samples = 600;
    // Where the simulated printer runs: "process" (veltaro-printer-sim) and/or "inprocess".
    QStringList printers{QStringLiteral("process"), QStringLiteral("inprocess")};
};

struct Suite {
    QString name;
    QString description;
    std::function<std::vector<Report>(const Options&)> run;
};
const std::vector<Suite>& suites();

struct Spread {
    int count = 0;
    double mean = 0, p99 = 0, max = 0, min = 0;
};
// Nearest-rank percentile; the values need not be sorted.
Spread spread(std::vector<double> values);

// User plus system CPU time of this process, in milliseconds.
double processCpuMs();

// The simulated printer as COM<port>, in a port folder of its own that this process also uses.
class PrinterHost {
public:
    enum class Where { InProcess, OwnProcess };

    PrinterHost(Where where, int port, const Sim::PrinterConfig& config);
    ~PrinterHost();

    bool ready() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString description() const;
    // CPU time of the printer's own process so far, in milliseconds; nothing when it runs in ours.
    std::optional<double> printerCpuMs() const;

private:
    void startProcess(int port, const Sim::PrinterConfig& config);

    Where m_where;
    QTemporaryDir m_dir;
    std::unique_ptr<Sim::SimulatedPrinter> m_printer;
    std::unique_ptr<QProcess> m_process;
    QString m_error;
};

} // namespace BenchKit
