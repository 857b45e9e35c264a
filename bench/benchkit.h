#pragma once

// The pieces every bench suite uses: what a suite reports (figures with their goals), the statistics
// of a series of intervals, the process's CPU clock, and a simulated printer named as a COM port in a
// private port folder, running either in this process or as veltaro-printer-sim in its own.
//
// A suite is a function from the options to its reports; suites.cpp lists them by name.

#include "simulatedprinter.h"
#include "support/ser2net.h"

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
    // What the protocol itself costs (its delays and polls, the line time), in the figure's unit; the
    // table shows the figure beside it as a ratio. Unset where the floor is zero or there is none.
    std::optional<double> floor{};
    QString floorText{}; // the floor in words where it is not a number ("0", "none")
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
    bool inDefaultRun = true; // false: only when named (it needs more than this machine's build)
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

// Runs the event loop until `done` holds or `limitMs` has passed, looking every `stepMs`; whether it
// holds.
bool serveUntil(const std::function<bool()>& done, int limitMs, int stepMs);

// Simulated printers as COM ports, in a port folder of its own that this process also uses.
class PrinterHost {
public:
    // Remote: in its own process, behind a ser2net of its own on loopback (RFC 2217), the port named by
    // the server's address.
    enum class Where { InProcess, OwnProcess, Remote };
    static Where where(const QString& name) {
        return name == QLatin1String("inprocess") ? Where::InProcess
               : name == QLatin1String("remote")  ? Where::Remote
                                                  : Where::OwnProcess;
    }

    explicit PrinterHost(Where where); // an empty port folder: add() the printers
    PrinterHost(Where where, int port, const Sim::PrinterConfig& config);
    ~PrinterHost();

    // A printer as COM<port>; a silent one hears everything and never answers.
    bool add(int port, const Sim::PrinterConfig& config, bool silent = false);

    bool ready() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString description() const;
    // The printers running in this process, in the order added; none when they run in their own.
    const std::vector<std::unique_ptr<Sim::SimulatedPrinter>>& printers() const { return m_printers; }
    // The ser2net that serves the remote printer; null for a local one.
    Ser2Net* server() const { return m_servers.empty() ? nullptr : m_servers.front().get(); }
    // CPU time of the printers' own processes so far, in milliseconds; nothing when they run in ours.
    std::optional<double> printerCpuMs() const;

private:
    void startProcess(int port, const Sim::PrinterConfig& config, bool silent);
    void serve(int port, const QByteArray& said);

    QTemporaryDir m_farSide; // the remote printers' own port folder
    std::vector<std::unique_ptr<Ser2Net>> m_servers;

    Where m_where;
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<Sim::SimulatedPrinter>> m_printers;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QString m_error;
};

// Watches for modal message boxes: notes when each is first shown and presses its default button (or
// OK) as soon as the event loop runs again.
class BoxWatcher : public QObject {
public:
    BoxWatcher();
    ~BoxWatcher() override;
    std::vector<qint64> shownNs; // on the monotonic clock of QElapsedTimer::nsecsElapsed of clock()
    QStringList texts;
    static qint64 nowNs();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A figure with a goal, and the same beside its floor.
Figure goalFigure(const QString& name, double value, const QString& unit, const QString& goal, bool met);
Figure floorFigure(const QString& name, double value, const QString& unit, double floor, const QString& goal,
                   bool met);

} // namespace BenchKit
