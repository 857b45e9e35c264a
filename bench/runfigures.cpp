// Figures of the program as a whole. The CPU of a wait for a silent printer: a ReadReplyByte that the
// printer never answers, cancelled after 5 s, costed by getrusage. Start-up and memory: veltaro-bench
// starts itself anew (as the program would start) with the printer in its own process; the child times
// the splash window's first paint from the parent's moment of starting it, then Step1's first paint
// from the splash's, walks the wizard through a search, Step2 and some monitoring, and reports its peak
// resident memory (getrusage's ru_maxrss).
#include "runfigures.h"

#include "detection/step1.h"
#include "link/serialdevices.h"
#include "monitor/monitorfrm.h"
#include "sensor/step2.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>
#include <ctime>

#include <sys/resource.h>

namespace {

using namespace BenchKit;

constexpr int kWaitMs = 5000;
constexpr double kSplashShownMs = 1500;
constexpr int kMonitorMs = 3000;

qint64 monotonicNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Notes when a top-level window of the given kind has finished its first paint.
class FirstPaint : public QObject {
public:
    std::optional<qint64> splashNs, step1Ns;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_inside) return false;
        std::optional<qint64>* slot = qobject_cast<SplashScreen*>(watched) ? &splashNs
                                      : qobject_cast<Step1*>(watched)      ? &step1Ns
                                                                           : nullptr;
        if (!slot || *slot) return false;
        m_inside = true;
        watched->event(event);
        m_inside = false;
        *slot = monotonicNs();
        return true;
    }

private:
    bool m_inside = false;
};

bool waitFor(const std::function<bool()>& done, int limitMs) { return serveUntil(done, limitMs, 20); }

} // namespace

namespace RunFigures {

std::vector<Report> waitCpu(const Options& options) {
    PrinterHost host(PrinterHost::where(options.printers.front()));
    host.add(3, {}, true);
    Report r{QStringLiteral("wait"),
             QStringLiteral("a reply awaited 5 s from a silent printer on COM3, ") + host.description(),
             {}};
    if (!host.ready()) {
        r.setup += QStringLiteral(": ") + host.error();
        return {r};
    }
    Wizard wizard;
    wizard.setEndRoutine([] {});
    wizard.step1();
    SharedState& state = wizard.state();
    state.PrinterPort = 3;
    state.PrinterSpeed = QStringLiteral("9600");
    state.PrinterHandshake = 1;
    Link& link = wizard.link();
    if (!link.SendCommand(link.commands().paperStatus())) {
        r.setup += QStringLiteral(": the port does not open");
        return {r};
    }
    QTimer::singleShot(kWaitMs, Qt::PreciseTimer, &link, [&link] { link.cancelWaits(); });
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = processCpuMs();
    const std::optional<quint8> reply = link.ReadReplyByte();
    const double cpuMs = processCpuMs() - cpuBefore;
    const double wallMs = double(wall.nsecsElapsed()) / 1e6;
    link.ClosePrinterPort();
    if (reply) {
        r.setup += QStringLiteral(": the silent printer answered");
        return {r};
    }
    const double percent = 100.0 * cpuMs / wallMs;
    Figure f = goalFigure(QStringLiteral("CPU while waiting for a reply"), percent,
                          QStringLiteral("% of a core"), QStringLiteral("< 1%"), percent < 1.0);
    f.floorText = QStringLiteral("0");
    r.figures = {f, {QStringLiteral("length of the wait"), wallMs, QStringLiteral("ms"), {}, std::nullopt}};
    return {r};
}

std::vector<Report> wizardRun(const Options&) {
    // The child is on its own; the printer in its own process is what a technician's machine has.
    PrinterHost host(PrinterHost::Where::OwnProcess);
    Sim::PrinterConfig config;
    config.speed = 115200;
    config.hardwareFlow = true;
    host.add(1, config);
    Report r{
        QStringLiteral("wizard"),
        QStringLiteral("a fresh process: splash, Step1, search (printer at 115200 on COM1), Step2, 3 s of "
                       "monitoring, Exit; ") +
            host.description(),
        {}};
    if (!host.ready()) {
        r.setup += QStringLiteral(": ") + host.error();
        return {r};
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 startNs = monotonicNs();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--wizard-run"), QString::number(startNs)});
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished(1000);
        r.setup += QStringLiteral(": the run did not end within 60 s");
        return {r};
    }
    const QJsonObject o = QJsonDocument::fromJson(child.readAllStandardOutput()).object();
    if (!o.value(QStringLiteral("error")).toString().isEmpty() || o.isEmpty()) {
        r.setup += QStringLiteral(": ") + (o.isEmpty() ? QStringLiteral("no figures from the run")
                                                       : o.value(QStringLiteral("error")).toString());
        return {r};
    }
    const double splashMs = o.value(QStringLiteral("splashMs")).toDouble();
    const double step1Ms = o.value(QStringLiteral("step1Ms")).toDouble();
    const double peakMiB = o.value(QStringLiteral("peakKiB")).toDouble() / 1024.0;
    Figure splash = goalFigure(QStringLiteral("start to splash painted"), splashMs, QStringLiteral("ms"),
                               QStringLiteral("< 300 ms"), splashMs < 300);
    splash.floorText = QStringLiteral("none");
    Figure memory = goalFigure(QStringLiteral("peak resident memory"), peakMiB, QStringLiteral("MiB"),
                               QStringLiteral("< 80 MiB"), peakMiB < 80);
    memory.floorText = QStringLiteral("none");
    r.figures = {splash,
                 floorFigure(QStringLiteral("splash to Step1 painted"), step1Ms, QStringLiteral("ms"),
                             kSplashShownMs, QStringLiteral("1500 ms + <= 50 ms"),
                             step1Ms >= kSplashShownMs && step1Ms <= kSplashShownMs + 50),
                 memory};
    return {r};
}

int wizardRunChild(qint64 startNs) {
    const auto fail = [](const QString& why) {
        std::printf("%s\n",
                    QJsonDocument(QJsonObject{{"error", why}}).toJson(QJsonDocument::Compact).constData());
        return 2;
    };
    // The port folder comes with the environment; the machine's own serial ports stay out of sight.
    SerialDevices::replaceSystemDevices(QList<SerialDevices::Device>{});
    FirstPaint paints;
    qApp->installEventFilter(&paints);
    BoxWatcher boxes;
    bool ended = false;
    Wizard wizard;
    wizard.setEndRoutine([&ended] { ended = true; });
    wizard.start();
    if (!waitFor([&] { return paints.step1Ns.has_value(); }, 10000))
        return fail(QStringLiteral("Step1 never painted"));
    if (!paints.splashNs) return fail(QStringLiteral("the splash never painted"));

    Step1& step1 = wizard.step1();
    step1.Start->click(); // the search, the probe and its box; Step2 comes up when a printer is found
    if (!wizard.state().PrinterFound) return fail(QStringLiteral("the search found no printer"));
    Step2& step2 = wizard.step2();
    if (!waitFor([&] { return step2.isVisible() && step2.Next->isEnabled(); }, 5000))
        return fail(QStringLiteral("Step2 did not come up"));
    step2.control<QRadioButton>(QStringLiteral("PrinterOpto"))->setChecked(true);
    step2.control<QRadioButton>(QStringLiteral("Monitor"))->setChecked(true);
    step2.Next->click();
    MonitorFrm* monitor = wizard.loadedMonitorFrm();
    if (!monitor) return fail(QStringLiteral("the monitor did not open"));
    waitFor([] { return false; }, kMonitorMs);
    monitor->Exit->click();
    if (!waitFor([&] { return ended; }, 10000)) return fail(QStringLiteral("Exit did not end the program"));

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const QJsonObject o{{"splashMs", double(*paints.splashNs - startNs) / 1e6},
                        {"step1Ms", double(*paints.step1Ns - *paints.splashNs) / 1e6},
                        {"peakKiB", double(usage.ru_maxrss)},
                        {"boxes", boxes.texts.join(QStringLiteral(" | "))}};
    std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    return 0;
}

} // namespace RunFigures
