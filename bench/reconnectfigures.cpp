#include "reconnectfigures.h"
#include "monitorfigures.h"

#include "detection/step1.h"
#include "link/mscomm.h"
#include "monitor/monitorfrm.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

using namespace BenchKit;

constexpr int kPrinterPort = 3;
constexpr int kRounds = 5;
constexpr int kWaitMs = 3000; // the port away this long each round
constexpr double kBackGoalMs = 1000;
constexpr double kCpuGoalPercent = 0.1;

struct Run {
    std::vector<double> backMs; // the port's return to the first sample drawn after it
    double waitCpuMs = 0, waitWallMs = 0;
    QString error;
};

bool serve(const std::function<bool()>& done, int limitMs) { return serveUntil(done, limitMs, 5); }


// One round: the port goes, the CPU is read while the page waits, the port comes back.
bool round(PrinterHost& host, MonitorFrm& monitor, const size_t& drawn, Run& run) {
    const size_t before = drawn;
    if (!serve([&] { return drawn >= before + 20; }, 5000)) return false;
    Ser2Net* server = host.server();
    server ? server->stop() : host.printers().front()->vanish();
    const QString waiting = QStringLiteral("Waiting for COM%1 to come back...").arg(kPrinterPort);
    if (!serve([&] { return monitor.windowTitle() == waiting; }, 5000)) return false;
    const double cpu = processCpuMs();
    QElapsedTimer away;
    away.start();
    // The event loop sleeps until something is due, as the wizard's does: only the page's work counts.
    QEventLoop idle;
    QTimer::singleShot(kWaitMs, &idle, &QEventLoop::quit);
    idle.exec();
    run.waitCpuMs += processCpuMs() - cpu;
    run.waitWallMs += double(away.elapsed());
    const bool back = server ? server->restart() : host.printers().front()->reappear();
    QElapsedTimer since;
    since.start();
    const size_t atReturn = drawn;
    if (!back || !serve([&] { return drawn > atReturn; }, 5000)) return false;
    run.backMs.push_back(double(since.nsecsElapsed()) / 1e6);
    return true;
}

Run reconnectRun(PrinterHost& host) {
    Run run;
    Wizard wizard;
    wizard.setEndRoutine([] {});
    const BoxWatcher boxes;
    MonitorFrm& monitor = MonitorFigures::openMonitor(wizard);
    // A sample is drawn when the page's tick has its reply: the trace's strokes count them.
    size_t drawn = 0;
    QObject::connect(&wizard.step1().comm(), &MSComm::inputArrived, &monitor, [&] {
        if (monitor.windowTitle().startsWith(QLatin1String("Waiting"))) return;
        ++drawn;
    });
    for (int i = 0; i < kRounds && run.error.isEmpty(); ++i)
        if (!round(host, monitor, drawn, run))
            run.error = QStringLiteral("round %1 did not go on").arg(i + 1);
    monitor.Back->click();
    QCoreApplication::processEvents();
    return run;
}

Report reconnectReport(PrinterHost::Where where) {
    Sim::PrinterConfig config;
    config.speed = 9600;
    config.hardwareFlow = false;
    PrinterHost host(where, kPrinterPort, config);
    Report report{QStringLiteral("reconnect"), host.description(), {}};
    if (!host.ready()) {
        report.setup += QStringLiteral(": ") + host.error();
        return report;
    }
    const Run run = reconnectRun(host);
    if (!run.error.isEmpty()) {
        report.setup += QStringLiteral(": ") + run.error;
        return report;
    }
    const Spread back = spread(run.backMs);
    const double cpuPercent = run.waitWallMs > 0 ? 100.0 * run.waitCpuMs / run.waitWallMs : 0;
    report.figures.push_back(goalFigure(QStringLiteral("port back to the first new sample, mean"), back.mean,
                                        QStringLiteral("ms"), QStringLiteral("<= 1000 ms"),
                                        back.mean <= kBackGoalMs));
    report.figures.push_back(goalFigure(QStringLiteral("port back to the first new sample, max"), back.max,
                                        QStringLiteral("ms"), QStringLiteral("<= 1000 ms"),
                                        back.max <= kBackGoalMs));
    report.figures.push_back(goalFigure(QStringLiteral("CPU while waiting for the port"), cpuPercent,
                                        QStringLiteral("% of a core"), QStringLiteral("<= 0.1%"),
                                        cpuPercent <= kCpuGoalPercent));
    return report;
}

} // namespace

namespace ReconnectFigures {

std::vector<Report> run(const Options&) {
    return {reconnectReport(PrinterHost::Where::InProcess), reconnectReport(PrinterHost::Where::Remote)};
}

} // namespace ReconnectFigures
