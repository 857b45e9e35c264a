#pragma once

#include "benchkit.h"

// The live monitor through a lost port: the port folder's entry removed and made again (the printer in
// this process, kept at 57600), or its ser2net stopped and started again. How long from the port's return
// to the first new sample on the chart, and what the page costs in CPU while it waits.
namespace ReconnectFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
} // namespace ReconnectFigures
