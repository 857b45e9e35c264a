#pragma once

#include "benchkit.h"

// veltaro-cli as a script meets it: the automatic search of `detect`, the sampling period of
// `monitor --csv`, and the time from starting the tool to the printer hearing its first command.
namespace CliFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
}
