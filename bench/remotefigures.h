#pragma once

#include "benchkit.h"

// The search, the probe and the monitor with every printer behind a ser2net on loopback (RFC 2217),
// against the same floors as on local ports: the search and probe within 10% of them, the monitor's
// sampling period within 1% of 50 ms with a p99 of at most 60 ms.
namespace RemoteFigures {
std::vector<BenchKit::Report> run(const BenchKit::Options& options);
}
