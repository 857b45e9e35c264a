// The live monitor's figures: how regularly it samples and what monitoring costs in CPU. The real
// pages run against the simulated printer, found at 9600 with XON/XOFF; the monitor switches it to
// 57600 with hardware flow control as it does for a technician. A sample is taken when its reply reaches
// the port object, so the period includes everything a tick does on the line.
#include "monitorfigures.h"

#include "clifigures.h"
#include "detection/step1.h"
#include "link/mscomm.h"
#include "monitor/monitorfrm.h"
#include "monitor/recordmenu.h"
#include "referencefigures.h"
#include "sensor/step2.h"
#include "wizard/wizard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

using namespace BenchKit;

using MonitorFigures::kWarmUpSamples;
constexpr double kPeriodMs = 50.0;
constexpr double kMeanTolerance = 0.01; // of the period
constexpr double kCpuGoalPercent = 3.0;
constexpr int kPrinterPort = 3;
// A tick's command and reply are three bytes on the line at 57600 (ten bits each): the tick's floor.
constexpr double kTickLineMs = 3 * 10 * 1000.0 / 57600;
constexpr double kTickGoalMs = 3.0;
constexpr int kSaveIntervalMs = 1000;

struct Run {
    std::vector<double> periodsMs;
    std::vector<double> timerPeriodsMs; // between the sampling timer's ticks
    std::vector<double> tickMs;         // from the timer's tick to the reply
    std::vector<double> wholeTickMs;    // the handler of a sampling tick, from start to return
    double wallMs = 0;
    double cpuMs = 0;
    std::optional<double> printerCpuMs;
    int saves = 0; // records written while sampling
    QString error;
};

// When the sampling timer ticks, and how long the page's handler takes over a tick that takes a sample:
// the filter delivers the tick itself, so that it sees the handler return.
class TimerTicks : public QObject {
public:
    TimerTicks(const QElapsedTimer& clock, const std::vector<qint64>& arrivals)
        : m_clock(clock), m_arrivals(arrivals) {}
    std::vector<qint64> times;
    std::vector<double> sampleTickMs; // open, command, reply, close: the whole of a sampling tick

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Timer || m_inside) return false;
        const qint64 start = m_clock.nsecsElapsed();
        times.push_back(start);
        const size_t before = m_arrivals.size();
        m_inside = true;
        watched->event(event);
        m_inside = false;
        if (m_arrivals.size() == before + 1)
            sampleTickMs.push_back(double(m_clock.nsecsElapsed() - start) / 1e6);
        return true;
    }

private:
    const QElapsedTimer& m_clock;
    const std::vector<qint64>& m_arrivals;
    bool m_inside = false;
};

std::vector<double> differencesMs(const std::vector<qint64>& times, size_t from) {
    std::vector<double> ms;
    for (size_t i = std::max<size_t>(from, 1); i < times.size(); ++i)
        ms.push_back(double(times[i] - times[i - 1]) / 1e6);
    return ms;
}

// For each reply, the time since the timer tick that asked for it.
std::vector<double> tickDurationsMs(const std::vector<qint64>& ticks, const std::vector<qint64>& replies,
                                    size_t from) {
    std::vector<double> ms;
    for (size_t i = from; i < replies.size(); ++i) {
        const auto tick = std::upper_bound(ticks.begin(), ticks.end(), replies[i]);
        if (tick != ticks.begin()) ms.push_back(double(replies[i] - *std::prev(tick)) / 1e6);
    }
    return ms;
}

// A record saved every second, as a picture and a PDF in turn, while the monitor samples.
void saveEverySecond(MonitorFrm& monitor, QTimer& saving, const QTemporaryDir& folder, int* saves) {
    QObject::connect(
        &monitor.record(), &RecordMenu::written, &saving,
        [saves](const QString&, const QString& problem) { *saves += problem.isEmpty() ? 1 : 0; });
    auto n = std::make_shared<int>(0);
    QObject::connect(&saving, &QTimer::timeout, &monitor, [&monitor, &folder, n] {
        const char* suffix = ++*n % 2 ? "pdf" : "png";
        monitor.record().save(folder.filePath(QStringLiteral("record-%1.%2").arg(*n).arg(suffix)));
    });
    saving.start(kSaveIntervalMs);
}

Run monitorRun(const PrinterHost& host, int samples, bool saving) {
    Run run;
    Wizard wizard;
    wizard.setEndRoutine([] {});
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> arrivals;
    const size_t wanted = size_t(kWarmUpSamples + samples + 1);
    double cpuAtStart = 0;
    std::optional<double> printerCpuAtStart;
    QEventLoop loop;
    QObject::connect(&wizard.step1().comm(), &MSComm::inputArrived, &loop, [&] {
        arrivals.push_back(clock.nsecsElapsed());
        if (arrivals.size() == size_t(kWarmUpSamples) + 1) {
            cpuAtStart = processCpuMs();
            printerCpuAtStart = host.printerCpuMs();
        }
        if (arrivals.size() == wanted) loop.quit();
    });
    TimerTicks ticks(clock, arrivals);
    MonitorFrm& monitor = MonitorFigures::openMonitor(wizard);
    monitor.MonitorTimer->installEventFilter(&ticks);
    QTimer saves;
    QTemporaryDir folder;
    if (saving) saveEverySecond(monitor, saves, folder, &run.saves);
    // Twice the time it should take, and a little more: a printer that stops answering ends the run.
    QTimer::singleShot(int(2 * wanted * kPeriodMs) + 5000, &loop, &QEventLoop::quit);
    if (arrivals.size() < wanted) loop.exec();
    const double cpuAtEnd = processCpuMs();
    const std::optional<double> printerCpuAtEnd = host.printerCpuMs();
    saves.stop();
    if (MonitorFrm* shown = wizard.loadedMonitorFrm()) shown->Back->click();
    QCoreApplication::processEvents();

    if (arrivals.size() < wanted) {
        run.error = QStringLiteral("only %1 of %2 samples arrived").arg(arrivals.size()).arg(wanted);
        return run;
    }
    run.periodsMs = differencesMs(arrivals, kWarmUpSamples + 1);
    const auto firstTick = std::lower_bound(ticks.times.begin(), ticks.times.end(), arrivals[kWarmUpSamples]);
    ticks.times.erase(ticks.times.begin(), firstTick);
    run.timerPeriodsMs = differencesMs(ticks.times, 1);
    run.tickMs = tickDurationsMs(ticks.times, arrivals, kWarmUpSamples + 1);
    run.wholeTickMs.assign(ticks.sampleTickMs.begin() +
                               std::min<size_t>(kWarmUpSamples, ticks.sampleTickMs.size()),
                           ticks.sampleTickMs.end());
    run.wallMs = double(arrivals.back() - arrivals[kWarmUpSamples]) / 1e6;
    run.cpuMs = cpuAtEnd - cpuAtStart;
    if (printerCpuAtStart && printerCpuAtEnd) run.printerCpuMs = *printerCpuAtEnd - *printerCpuAtStart;
    return run;
}

// The spread of the sampling periods goes to `periods` too, when given.
Report monitorReport(PrinterHost::Where where, int samples, bool saving, Spread* periods = nullptr) {
    Sim::PrinterConfig config;
    config.speed = 9600;
    config.hardwareFlow = false;
    PrinterHost host(where, kPrinterPort, config);
    Report report{saving ? QStringLiteral("record") : QStringLiteral("monitor"),
                  host.description() + (saving ? QStringLiteral(", a record saved every second") : QString()),
                  {}};
    if (!host.ready()) {
        report.setup += QStringLiteral(": ") + host.error();
        return report;
    }
    const Run run = monitorRun(host, samples, saving);
    if (!run.error.isEmpty()) {
        report.setup += QStringLiteral(": ") + run.error;
        return report;
    }
    const Spread period = spread(run.periodsMs);
    if (periods) *periods = period;
    const double cpuPercent = run.wallMs > 0 ? 100.0 * run.cpuMs / run.wallMs : 0;
    const Spread whole = spread(run.wholeTickMs);
    Figure cpu = goalFigure(QStringLiteral("CPU while monitoring"), cpuPercent, QStringLiteral("% of a core"),
                            QStringLiteral("< 3%"), cpuPercent < kCpuGoalPercent);
    cpu.floorText = QStringLiteral("0");
    report.figures = MonitorFigures::periodFigures(period, MonitorFigures::kWizardP99LateMs);
    report.figures.insert(report.figures.begin(),
                          goalFigure(QStringLiteral("samples measured"), period.count, {},
                                     QStringLiteral(">= 600"), period.count >= 600));
    report.figures.push_back(floorFigure(QStringLiteral("monitor tick's own work, mean"), whole.mean,
                                         QStringLiteral("ms"), kTickLineMs, QStringLiteral("< 3 ms"),
                                         whole.mean < kTickGoalMs));
    report.figures.push_back(floorFigure(QStringLiteral("monitor tick's own work, p99"), whole.p99,
                                         QStringLiteral("ms"), kTickLineMs, {}, false));
    // Drawing and writing a record every second costs its own CPU, on a thread of its own: measured, and
    // held to the sampling goals only.
    if (saving) cpu = {cpu.name, cpu.value, cpu.unit, {}, std::nullopt};
    report.figures.push_back(cpu);
    const Spread timer = spread(run.timerPeriodsMs);
    const Spread tick = spread(run.tickMs);
    report.figures.push_back({QStringLiteral("timer period, p99"), timer.p99, QStringLiteral("ms"), {}, {}});
    report.figures.push_back(
        {QStringLiteral("timer tick to reply, mean"), tick.mean, QStringLiteral("ms"), {}, {}});
    report.figures.push_back(
        {QStringLiteral("timer tick to reply, p99"), tick.p99, QStringLiteral("ms"), {}, {}});
    if (saving) {
        const int due = int(run.wallMs / kSaveIntervalMs) - 1;
        report.figures.push_back(goalFigure(QStringLiteral("records written"), run.saves, {},
                                            QStringLiteral(">= %1").arg(due), run.saves >= due));
    }
    if (run.printerCpuMs && run.wallMs > 0)
        report.figures.push_back({QStringLiteral("CPU of the printer's process"),
                                  100.0 * *run.printerCpuMs / run.wallMs,
                                  QStringLiteral("% of a core"),
                                  {},
                                  std::nullopt});
    return report;
}

} // namespace

namespace MonitorFigures {

MonitorFrm& openMonitor(Wizard& wizard) {
    wizard.step1();
    SharedState& state = wizard.state();
    state.PrinterFound = true;
    state.PrinterPort = 3;
    state.PrinterSpeed = QStringLiteral("9600");
    state.PrinterHandshake = 1;
    Step2& step2 = wizard.step2();
    step2.control<QRadioButton>(QStringLiteral("Monitor"))->setChecked(true);
    step2.control<QRadioButton>(QStringLiteral("PrinterOpto"))->setChecked(true);
    MonitorFrm& monitor = wizard.monitorFrm();
    monitor.show();
    return monitor;
}

std::vector<Figure> periodFigures(const Spread& period, double p99LateMs) {
    return {
        floorFigure(QStringLiteral("sampling period, mean"), period.mean, QStringLiteral("ms"), kPeriodMs,
                    QStringLiteral("50 ms +- 1%"),
                    std::abs(period.mean - kPeriodMs) <= kPeriodMs * kMeanTolerance),
        floorFigure(QStringLiteral("sampling period, p99"), period.p99, QStringLiteral("ms"), kPeriodMs,
                    QStringLiteral("<= %1 ms").arg(kPeriodMs + p99LateMs),
                    period.p99 <= kPeriodMs + p99LateMs),
        {QStringLiteral("sampling period, max"), period.max, QStringLiteral("ms"), {}, std::nullopt},
        {QStringLiteral("sampling period, min"), period.min, QStringLiteral("ms"), {}, std::nullopt},
    };
}

// With the printer in its own process, the reference poller first, then the wizard and veltaro-cli
// against a printer of the same kind, and their p99 beside the reference's.
std::vector<Report> run(const Options& options) {
    std::vector<Report> reports;
    const bool againstFloor = options.printers.contains(QLatin1String("process"));
    ReferenceFigures::Reference reference;
    if (againstFloor) reference = ReferenceFigures::measure(options.samples);
    Spread wizard;
    for (const QString& where : options.printers) {
        const PrinterHost::Where at = PrinterHost::where(where);
        reports.push_back(monitorReport(at, options.samples, false,
                                        at == PrinterHost::Where::OwnProcess ? &wizard : nullptr));
    }
    if (!againstFloor) return reports;
    Options own = options;
    own.printers = {QStringLiteral("process")};
    Spread cli;
    reports.push_back(CliFigures::monitorReport(own, QStringLiteral("monitor"), &CliFigures::nativeTool,
                                                kCliP99LateMs, &cli));
    reports.push_back(ReferenceFigures::comparison(reference, wizard, cli));
    return reports;
}

std::vector<Report> runWithRecords(const Options& options) {
    std::vector<Report> reports;
    for (const QString& where : options.printers)
        reports.push_back(monitorReport(PrinterHost::where(where), options.samples, true));
    return reports;
}

} // namespace MonitorFigures
