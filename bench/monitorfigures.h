#pragma once

#include "benchkit.h"

// Sampling period (mean, p99, max) and CPU per second of the live monitor.
namespace MonitorFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
// Samples left out at the start of a run: the opening read-out and the first sweep settle first.
constexpr int kWarmUpSamples = 20;
// The sampling period's figures against its 50 ms: mean (within 1%), p99 (at most 55 ms), max and min.
std::vector<BenchKit::Figure> periodFigures(const BenchKit::Spread& period);
} // namespace MonitorFigures
