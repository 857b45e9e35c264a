#pragma once

#include "benchkit.h"

// The automatic search (no printer on six ports; a printer at 1200 on COM6) and the manual probe,
// against the sum of the delays and polls they are made of.
namespace DetectionFigures {
std::vector<BenchKit::Report> search(const BenchKit::Options& options);
std::vector<BenchKit::Report> probe(const BenchKit::Options& options);
} // namespace DetectionFigures
