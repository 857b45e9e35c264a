#pragma once

#include "benchkit.h"

// CPU while a reply is awaited from a silent printer; start-up to the splash and to Step1, and the peak
// resident memory of a whole wizard run (in a fresh process of its own).
namespace RunFigures {
std::vector<BenchKit::Report> waitCpu(const BenchKit::Options& options);
std::vector<BenchKit::Report> wizardRun(const BenchKit::Options& options);
// The child's side of wizardRun: started at startNs (CLOCK_MONOTONIC), prints its figures as JSON.
int wizardRunChild(qint64 startNs);
} // namespace RunFigures
