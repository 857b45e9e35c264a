// The Windows veltaro-cli.exe under Wine, against the simulated printers of the cli suite. It is started
// the one way a Windows program runs here, `scripts/windows run --com N=DEVICE... veltaro-cli.exe ARGS`,
// with COMn mapped to the pseudo-terminal that port n names in the port folder, from the Windows build in
// VELTARO_WINDOWS_BUILD or else <source>/build-windows.
//   - `detect` without a link: the cli suite's two search set-ups and floors. Every run starts Wine
//     afresh (its wineserver restarted, the port mappings written to its registry), seconds that are
//     Wine's, not the tool's: the search is timed from the first byte a printer receives (the wake-up on
//     COM1; the printers run in this process, on its clock) to the tool's answer;
//   - `monitor printer --csv`: the sampling period as the lines arrive here, held to the wizard's goal.
// Wine's timers are Linux's: the figures say how the Windows build does under Wine, not what the timers
// of a Windows machine give it.
#include "clifigures.h"

#include "detectionfigures.h"
#include "monitorfigures.h"

#include "link/portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

using namespace BenchKit;
using CliFigures::Tool;

constexpr int kPorts = 6;
// Wine's start, and the wait for another scripts/windows run that holds Wine meanwhile.
constexpr int kStartLimitMs = 180000;
constexpr int kSearchLimitMs = 60000;

QString windowsBuild() {
    const QString chosen = qEnvironmentVariable("VELTARO_WINDOWS_BUILD");
    return chosen.isEmpty() ? QStringLiteral(VELTARO_SOURCE_DIR "/build-windows") : chosen;
}

// scripts/windows run starts the programs in the portable folder that the zip package is made from.
QString programFolder() {
    return windowsBuild() + QStringLiteral("/_CPack_Packages/win64/ZIP/veltaro-" VELTARO_VERSION "-win64");
}

// COMn mapped to the device of port n, for every port in the port folder.
Tool wineTool() {
    Tool tool{QStringLiteral("veltaro-cli.exe under Wine"),
              QStringLiteral(VELTARO_SOURCE_DIR "/scripts/windows"),
              {QStringLiteral("run")},
              kStartLimitMs};
    const QDir ports(PortNames::portFolder());
    for (int n = 1; n <= kPorts; ++n) {
        const QString device = QFileInfo(ports.filePath(QStringLiteral("COM%1").arg(n))).symLinkTarget();
        if (!device.isEmpty())
            tool.leading << QStringLiteral("--com") << QStringLiteral("%1=%2").arg(n).arg(device);
    }
    tool.leading << QStringLiteral("veltaro-cli.exe");
    return tool;
}

DetectionFigures::SearchRun searchRun(const PrinterHost& host, bool printerExpected) {
    // What the last run wrote just before it ended is read now, not taken for this run's first byte.
    QCoreApplication::processEvents();
    QObject scope; // the connections end with this run
    std::optional<qint64> firstNs;
    for (const auto& printer : host.printers())
        QObject::connect(printer.get(), &Sim::SimulatedPrinter::commandReceived, &scope, [&] {
            if (!firstNs) firstNs = BoxWatcher::nowNs();
        });
    const CliFigures::CliRun run =
        CliFigures::runCli(wineTool(), {QStringLiteral("detect")}, printerExpected ? 0 : 1, kSearchLimitMs);
    if (!run.error.isEmpty()) return {0, run.error};
    if (!firstNs) return {0, QStringLiteral("no printer received anything")};
    if (printerExpected && !run.out.startsWith("port: 6\n"))
        return {0, QStringLiteral("the printer is not on COM6")};
    return {double(run.lastWordNs - *firstNs) / 1e6, {}};
}

} // namespace

namespace CliFigures {

std::vector<Report> runUnderWine(const Options& options) {
    const QString suite = QStringLiteral("windows");
    if (!QFileInfo::exists(programFolder() + QStringLiteral("/veltaro-cli.exe")))
        return {{suite,
                 QStringLiteral("no veltaro-cli.exe in %1: make it with scripts/windows build "
                                "(VELTARO_WINDOWS_BUILD names another build)")
                     .arg(windowsBuild()),
                 {}}};
    // The first byte received is timed where the printers run: here.
    Options inProcess = options;
    inProcess.printers = {QStringLiteral("inprocess")};
    std::vector<Report> reports =
        DetectionFigures::searchReports(inProcess, suite, QStringLiteral("detect"), &searchRun);
    for (Report& r : reports)
        r.setup =
            QStringLiteral("veltaro-cli.exe under Wine, detect, from the first byte a printer receives (the "
                           "wake-up on COM1) to the answer, Wine's start-up left out, ") +
            r.setup;
    reports.push_back(monitorReport(options, suite, &wineTool, MonitorFigures::kWizardP99LateMs));
    return reports;
}

} // namespace CliFigures
