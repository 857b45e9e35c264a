// The reference poller's run: a veltaro-printer-sim started at 57600 with hardware flow control, where
// the monitor's speed switch puts a printer, and the poller asking it for its level as often as the
// monitor samples. The poller writes each sample's time on its own clock; this process notes when each
// line arrives, as it does for veltaro-cli's CSV.
#include "referencefigures.h"

#include "clifigures.h"
#include "link/portnames.h"
#include "monitorfigures.h"

#include <cmath>

namespace {

using namespace BenchKit;

constexpr int kPrinterPort = 3;
constexpr double kPeriodMs = 50.0;
// Of the period. An absolute schedule keeps the mean within microseconds; one that drifts by a round
// trip at every sample (half a millisecond here) is no floor, and its p99 would hide the monitor's.
constexpr double kMeanTolerance = 0.002;

CliFigures::Tool poller() {
#ifdef VELTARO_REFERENCE_POLLER
    return {QStringLiteral("veltaro-reference-poller"), QStringLiteral(VELTARO_REFERENCE_POLLER)};
#else
    return {QStringLiteral("veltaro-reference-poller"), {}};
#endif
}

// The times the poller wrote in its sample lines "ns,level", after its header; empty when a line is not
// one.
std::vector<qint64> stampsIn(const QByteArray& out, int wanted) {
    const QList<QByteArray> lines = out.split('\n');
    if (lines.size() < wanted + 1 || lines.front() != "ns,value") return {};
    std::vector<qint64> stamps{0}; // in the header's place, so that the lines keep their numbers
    for (int i = 1; i <= wanted; ++i) {
        bool ok = false;
        stamps.push_back(lines[i].left(lines[i].indexOf(',')).toLongLong(&ok));
        if (!ok) return {};
    }
    return stamps;
}

Figure withinMargin(const QString& name, double value, double floor) {
    return floorFigure(name, value, QStringLiteral("ms"), floor,
                       QStringLiteral("<= floor + %1 ms").arg(ReferenceFigures::kMarginMs),
                       value <= floor + ReferenceFigures::kMarginMs);
}

} // namespace

namespace ReferenceFigures {

Reference measure(int samples) {
    Reference reference;
    Sim::PrinterConfig config;
    config.speed = 57600;
    config.hardwareFlow = true;
    PrinterHost host(PrinterHost::Where::OwnProcess, kPrinterPort, config);
    if (!host.ready()) {
        reference.error = host.error();
        return reference;
    }
    const int wanted = MonitorFigures::kWarmUpSamples + samples + 1;
    const QString device = PortNames::portFolder() + QStringLiteral("/COM%1").arg(kPrinterPort);
    const CliFigures::CliRun run = CliFigures::runCli(poller(), {device, QString::number(wanted)}, 0,
                                                      int(2 * wanted * kPeriodMs) + 5000);
    if (!run.error.isEmpty()) {
        reference.error = run.error;
        return reference;
    }
    const std::vector<qint64> stamps = stampsIn(run.out, wanted);
    if (stamps.empty() || int(run.outLineNs.size()) < wanted + 1) {
        reference.error = QStringLiteral("the poller's lines are not %1 samples").arg(wanted);
        return reference;
    }
    reference.atReply = spread(CliFigures::linePeriodsMs(stamps, wanted));
    reference.lines = spread(CliFigures::linePeriodsMs(run.outLineNs, wanted));
    return reference;
}

Report comparison(const Reference& reference, const Spread& wizard, const Spread& cli) {
    Report r{QStringLiteral("monitor"),
             QStringLiteral("against this machine's floor: veltaro-reference-poller (termios and "
                            "clock_nanosleep, no Qt) on a printer in its own process (veltaro-printer-sim), "
                            "in the same run; the wizard beside its periods between replies, veltaro-cli "
                            "beside its periods between lines as they arrive here"),
             {}};
    QString missing = reference.error;
    if (missing.isEmpty() && (wizard.count == 0 || cli.count == 0))
        missing = QStringLiteral("the wizard's or veltaro-cli's run gave no periods");
    if (!missing.isEmpty()) {
        r.setup += QStringLiteral(": ") + missing;
        return r;
    }
    const double mean = reference.atReply.mean;
    r.figures = {
        goalFigure(QStringLiteral("reference poller, period mean"), mean, QStringLiteral("ms"),
                   QStringLiteral("50 ms +- %1%").arg(100 * kMeanTolerance),
                   std::abs(mean - kPeriodMs) <= kPeriodMs * kMeanTolerance),
        {QStringLiteral("reference poller, period p99"), reference.atReply.p99, QStringLiteral("ms"), {}, {}},
        withinMargin(QStringLiteral("wizard, period p99"), wizard.p99, reference.atReply.p99),
        {QStringLiteral("reference poller, line period p99"),
         reference.lines.p99,
         QStringLiteral("ms"),
         {},
         {}},
        withinMargin(QStringLiteral("veltaro-cli, line period p99"), cli.p99, reference.lines.p99),
    };
    return r;
}

} // namespace ReferenceFigures
