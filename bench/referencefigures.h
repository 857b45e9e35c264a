#pragma once

#include "benchkit.h"

// The monitor's sampling against this machine's own floor. veltaro-reference-poller (bench/reference)
// samples a printer in its own process as a monitor tick does, with nothing around it; the wizard and
// veltaro-cli, measured in the same run against the same kind of printer, are held within kMarginMs of
// its p99, each measured the way theirs is: the wizard's at the reply, the tool's as its lines arrive.
namespace ReferenceFigures {
constexpr double kMarginMs = 1.0;

struct Reference {
    BenchKit::Spread atReply; // between the replies, on the poller's own clock
    BenchKit::Spread lines;   // between its lines as they reach the bench
    QString error;
};
// `samples` after the warm-up a monitor run leaves out.
Reference measure(int samples);
// The wizard's and the tool's period spreads beside the reference's; a spread without samples is a run
// that failed, and the comparison is not made.
BenchKit::Report comparison(const Reference& reference, const BenchKit::Spread& wizard,
                            const BenchKit::Spread& cli);
} // namespace ReferenceFigures
