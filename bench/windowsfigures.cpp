// The Windows veltaro-cli.exe under Wine, against the simulated printers of the cli suite. It is started
// the one way a Windows program runs here, `scripts/windows run --com N=DEVICE... veltaro-cli.exe ARGS`,
// with COMn mapped to the pseudo-terminal that port n names in the port folder, from the Windows build in
// VELTARO_WINDOWS_BUILD or else <source>/build-windows.
//   - `detect` without a link: the cli suite's two search set-ups and floors. Every run starts Wine
//     afresh (its wineserver restarted, the port mappings written to its registry), seconds that are
//     Wine's, not the tool's: the search is timed from the first byte a printer receives from it (the
//     wake-up on COM1; the printers run in this process, on its clock) to the tool's answer;
//   - `monitor printer --csv`: the sampling period as the lines arrive here, held to the wizard's goal.
// Wine's timers are Linux's: the figures say how the Windows build does under Wine, not what the timers
// of a Windows machine give it.
#include "clifigures.h"

#include "detectionfigures.h"
#include "monitorfigures.h"

#include "link/portnames.h"
#include "link/protocol.h"

#include <QDir>
#include <QFileInfo>

namespace {

using namespace BenchKit;
using CliFigures::runCli;
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

// COMn mapped to device(n), for every port it gives one for.
Tool wineTool(const std::function<QString(int)>& device) {
    Tool tool{QStringLiteral("veltaro-cli.exe under Wine"),
              QStringLiteral(VELTARO_SOURCE_DIR "/scripts/windows"),
              {QStringLiteral("run")},
              kStartLimitMs};
    for (int n = 1; n <= kPorts; ++n)
        if (const QString path = device(n); !path.isEmpty())
            tool.leading << QStringLiteral("--com") << QStringLiteral("%1=%2").arg(n).arg(path);
    tool.leading << QStringLiteral("veltaro-cli.exe");
    return tool;
}

// COMn mapped to the pseudo-terminal that port n names in the port folder.
Tool printersTool() {
    return wineTool([ports = QDir(PortNames::portFolder())](int n) {
        return QFileInfo(ports.filePath(QStringLiteral("COM%1").arg(n))).symLinkTarget();
    });
}

// The search begins with a wake-up byte (NUL, at 57600) to every port, COM1 first, and nothing else sends
// a NUL. The last wake-up before the answer is this search's, whatever reached the port before it (a
// program of an earlier scripts/windows run whose port mapping still led here).
DetectionFigures::SearchRun searchRun(const PrinterHost& host, bool printerExpected) {
    std::optional<qint64> wakeUpNs;
    QObject scope; // the connection ends with this run
    QObject::connect(host.printers().front().get(), &Sim::SimulatedPrinter::commandReceived, &scope,
                     [&](const Sim::TranscriptEntry& entry) {
                         if (entry.bytes == QByteArray(1, Protocol::kNul)) wakeUpNs = BoxWatcher::nowNs();
                     });
    const CliFigures::CliRun run =
        runCli(printersTool(), {QStringLiteral("detect")}, printerExpected ? 0 : 1, kSearchLimitMs);
    if (!run.error.isEmpty()) return {0, run.error};
    if (!wakeUpNs) return {0, QStringLiteral("COM1 was not woken up")};
    if (printerExpected && !run.out.startsWith("port: 6\n"))
        return {0, QStringLiteral("the printer is not on COM6")};
    return {double(run.lastWordNs - *wakeUpNs) / 1e6, {}};
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
    // The wake-up is timed where the printers run: here.
    Options inProcess = options;
    inProcess.printers = {QStringLiteral("inprocess")};
    std::vector<Report> reports =
        DetectionFigures::searchReports(inProcess, suite, QStringLiteral("detect"), &searchRun);
    for (Report& r : reports)
        r.setup = QStringLiteral(
                      "veltaro-cli.exe under Wine, detect, from its wake-up byte on COM1 (the first byte "
                      "a printer receives from it) to its answer, Wine's start-up left out, ") +
                  r.setup;
    reports.push_back(monitorReport(options, suite, &printersTool, MonitorFigures::kWizardP99LateMs));
    return reports;
}

} // namespace CliFigures
