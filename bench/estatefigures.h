#pragma once

#include "benchkit.h"

// veltaro-cli check over an estate: 64 printers behind one ser2net on loopback and 64 on pseudo-terminals,
// all checked at once against the slowest checked alone, with the CPU and the memory of the whole run,
// and the same 64 checked one after another.
namespace EstateFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
} // namespace EstateFigures
