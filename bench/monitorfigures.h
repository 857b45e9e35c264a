#pragma once

#include "benchkit.h"

class MonitorFrm;
class Wizard;

// Sampling period (mean, p99, max) and CPU per second of the live monitor.
namespace MonitorFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
// The same figures with a record saved every second (a picture and a PDF in turn) while sampling.
std::vector<BenchKit::Report> runWithRecords(const BenchKit::Options& options);
// Samples left out at the start of a run: the opening read-out and the first sweep settle first.
constexpr int kWarmUpSamples = 20;
// How late the 99th percentile of the periods may be. A line that reads the tool's CSV wants its samples
// as even as the wizard draws them; the tool has no window to paint, so its goal is the tighter one.
constexpr double kWizardP99LateMs = 5.0;
constexpr double kCliP99LateMs = 3.0;
// The sampling period's figures against its 50 ms: mean (within 1%), p99 (at most p99LateMs late), max
// and min.
std::vector<BenchKit::Figure> periodFigures(const BenchKit::Spread& period, double p99LateMs);
// The wizard on the monitor page of the printer sensor, the printer found at 9600 Xon-Xoff on COM3.
MonitorFrm& openMonitor(Wizard& wizard);
} // namespace MonitorFigures
