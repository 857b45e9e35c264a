#pragma once

#include "benchkit.h"

// Sampling period (mean, p99, max) and CPU per second of the live monitor.
namespace MonitorFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
}
