// Every bench suite, by the name scripts/bench knows it by. A new suite is a function in a file of its
// own and one line here.
#include "benchkit.h"
#include "clifigures.h"
#include "detectionfigures.h"
#include "estatefigures.h"
#include "monitorfigures.h"
#include "reconnectfigures.h"
#include "remotefigures.h"
#include "runfigures.h"

namespace BenchKit {

const std::vector<Suite>& suites() {
    static const std::vector<Suite> all{
        {QStringLiteral("search"),
         QStringLiteral("automatic search: no printer on six ports, a printer on COM6"),
         &DetectionFigures::search},
        {QStringLiteral("probe"), QStringLiteral("manual probe of a printer on COM3"),
         &DetectionFigures::probe},
        {QStringLiteral("monitor"),
         QStringLiteral("live monitor: sampling period, tick and CPU; the wizard and veltaro-cli beside a "
                        "reference poller"),
         &MonitorFigures::run},
        {QStringLiteral("record"),
         QStringLiteral("live monitor with a record saved every second: sampling period, tick and CPU"),
         &MonitorFigures::runWithRecords},
        {QStringLiteral("reconnect"),
         QStringLiteral(
             "live monitor through a lost port: its return to the first new sample, CPU meanwhile"),
         &ReconnectFigures::run},
        {QStringLiteral("wait"), QStringLiteral("CPU while a silent printer is awaited"),
         &RunFigures::waitCpu},
        {QStringLiteral("wizard"), QStringLiteral("start-up paints and peak memory of a whole run"),
         &RunFigures::wizardRun},
        {QStringLiteral("cli"),
         QStringLiteral("veltaro-cli: detect's search, monitor --csv sampling, start to first command"),
         &CliFigures::run},
        {QStringLiteral("remote"),
         QStringLiteral("search, probe and monitor with the printers behind ser2net on loopback (RFC 2217)"),
         &RemoteFigures::run},
        {QStringLiteral("estate"),
         QStringLiteral("veltaro-cli check of 64 printers at once, remote and local, against the slowest alone "
                        "(only when named: the ports one after another take minutes)"),
         &EstateFigures::run, false},
        {QStringLiteral("windows"),
         QStringLiteral(
             "veltaro-cli.exe under Wine: detect's search, monitor --csv sampling (only when named)"),
         &CliFigures::runUnderWine, false},
    };
    return all;
}

} // namespace BenchKit
