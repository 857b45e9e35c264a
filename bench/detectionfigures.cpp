// Detection's figures against the sum of its own delays and polls: the automatic search over six ports
// with no printer, the search that finds a printer at 1200 on COM6, and the manual probe. The real
// pages run: Step1's Start button drives the search, the port selection page's button the probe. The
// search ends when Start's handler returns (nothing found) or when the box that names the printer is
// shown (the probe has done its last delay then).
#include "detectionfigures.h"

#include "detection/portselection.h"
#include "detection/step1.h"
#include "wizard/wizard.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>

namespace {

using namespace BenchKit;

constexpr int kPorts = 6;
constexpr double kWakeUpPauseMs = 1000;
constexpr double kLoaderPollMs = 31 * 10; // the firmware loader check looks 31 times, 10 ms apart
constexpr double kStatusDelayMs = 100;    // one paper status and its delay, per speed tried
constexpr int kSpeeds = 9;
constexpr double kProbeMs = 250 + 100 + 100;
constexpr double kTolerance = 0.05;
constexpr int kRuns = 3;

struct Timing {
    std::vector<double> ms;
    QString error;
    std::vector<double> endMs;
};

Figure searchFigure(const QString& name, const Timing& timing, double floor) {
    const Spread s = spread(timing.ms);
    return floorFigure(name, s.mean, QStringLiteral("ms"), floor, QStringLiteral("<= floor + 5%"),
                       s.mean <= floor * (1 + kTolerance));
}

// The search's figure in the report, or why there is none.
void addSearchFigures(Report& r, const QString& name, const Timing& t, double floor) {
    if (!t.error.isEmpty()) {
        r.setup += QStringLiteral(": ") + t.error;
        return;
    }
    r.figures.push_back(searchFigure(name, t, floor));
    if (!t.endMs.empty())
        r.figures.push_back(floorFigure(name + QStringLiteral(", to its end"), spread(t.endMs).mean,
                                        QStringLiteral("ms"), floor, {}, false));
}

// Runs the automatic search from Step1 and times it to its end.
DetectionFigures::SearchRun timeSearch(const PrinterHost&, bool expectPrinter) {
    Wizard wizard;
    wizard.setEndRoutine([] {});
    Step1& step1 = wizard.step1();
    step1.show();
    QCoreApplication::processEvents();
    BoxWatcher boxes;
    const qint64 start = BoxWatcher::nowNs();
    step1.Start->click();
    const qint64 end = BoxWatcher::nowNs();
    const bool found = wizard.state().PrinterFound;
    if (found != expectPrinter || (expectPrinter && boxes.shownNs.empty()))
        return {0, expectPrinter ? QStringLiteral("the printer was not found")
                                 : QStringLiteral("a printer was found where there is none")};
    wizard.endProgram();
    QCoreApplication::processEvents();
    return {double((expectPrinter ? boxes.shownNs.front() : end) - start) / 1e6, {}};
}

Timing repeat(const DetectionFigures::SearchTimer& time, const PrinterHost& host, bool expectPrinter) {
    Timing timing;
    for (int run = 0; run < kRuns && timing.error.isEmpty(); ++run) {
        const DetectionFigures::SearchRun one = time(host, expectPrinter);
        timing.ms.push_back(one.ms);
        timing.error = one.error;
        if (one.endMs) timing.endMs.push_back(*one.endMs);
    }
    return timing;
}

Timing timeProbe() {
    Timing timing;
    for (int run = 0; run < kRuns; ++run) {
        Wizard wizard;
        wizard.setEndRoutine([] {});
        wizard.step1();
        PortSelection& page = wizard.portSelection();
        page.show();
        page.control<QRadioButton>(QStringLiteral("COM3"))->setChecked(true);
        page.serialspeed->setCurrentText(QStringLiteral("9600"));
        page.serialhandshakeconf->setCurrentIndex(PortSelection::XonXoffEntry);
        QCoreApplication::processEvents();
        BoxWatcher boxes;
        const qint64 start = BoxWatcher::nowNs();
        page.DetectSerialPrinter->click();
        if (boxes.shownNs.empty() || !wizard.state().PrinterFound) {
            timing.error = QStringLiteral("the probe found no printer");
            return timing;
        }
        timing.ms.push_back(double(boxes.shownNs.front() - start) / 1e6);
        wizard.endProgram();
        QCoreApplication::processEvents();
    }
    return timing;
}

Report report(const QString& suite, const PrinterHost& host, const QString& what) {
    Report r{suite, what + QStringLiteral(", ") + host.description(), {}};
    if (!host.ready()) r.setup += QStringLiteral(": ") + host.error();
    return r;
}

} // namespace

namespace DetectionFigures {

std::vector<Report> search(const Options& options) {
    return searchReports(options, QStringLiteral("search"), QStringLiteral("automatic search"), &timeSearch);
}

std::vector<Report> searchReports(const Options& options, const QString& suite, const QString& what,
                                  const SearchTimer& time) {
    std::vector<Report> reports;
    const PrinterHost::Where where = PrinterHost::where(options.printers.front());
    const double wakeAndLoader = kWakeUpPauseMs + kPorts * kLoaderPollMs;
    {
        PrinterHost host(where);
        for (int n = 1; n <= kPorts; ++n)
            host.add(n, {}, true);
        Report r = report(suite, host, QStringLiteral("six silent printers on COM1..COM6"));
        if (host.ready())
            addSearchFigures(r, what + QStringLiteral(", no printer"), repeat(time, host, false),
                             wakeAndLoader + kPorts * kSpeeds * kStatusDelayMs);
        reports.push_back(std::move(r));
    }
    {
        PrinterHost host(where);
        for (int n = 1; n < kPorts; ++n)
            host.add(n, {}, true);
        Sim::PrinterConfig config;
        config.speed = 1200;
        config.hardwareFlow = true;
        host.add(kPorts, config);
        Report r = report(suite, host,
                          QStringLiteral("a printer at 1200 on COM6, five silent printers on COM1..COM5"));
        // Every speed on the five silent ports, eight speeds without an answer on COM6, then the three
        // status delays of the answer at 1200 and the probe.
        const double floor = wakeAndLoader + (kPorts - 1) * kSpeeds * kStatusDelayMs +
                             (kSpeeds - 1) * kStatusDelayMs + 3 * kStatusDelayMs + kProbeMs;
        if (host.ready())
            addSearchFigures(r, what + QStringLiteral(", printer on COM6"), repeat(time, host, true), floor);
        reports.push_back(std::move(r));
    }
    return reports;
}

std::vector<Report> probe(const Options& options) {
    PrinterHost host(PrinterHost::where(options.printers.front()));
    host.add(3, {});
    Report r = report(QStringLiteral("probe"), host, QStringLiteral("a printer at 9600 on COM3"));
    if (host.ready()) {
        const Timing t = timeProbe();
        if (t.error.isEmpty())
            r.figures.push_back(searchFigure(QStringLiteral("manual probe"), t, kProbeMs));
        else
            r.setup += QStringLiteral(": ") + t.error;
    }
    return {r};
}

} // namespace DetectionFigures
