#pragma once

#include "benchkit.h"

// The automatic search (no printer on six ports; a printer at 1200 on COM6) and the manual probe,
// against the sum of the delays and polls they are made of.
namespace DetectionFigures {
std::vector<BenchKit::Report> search(const BenchKit::Options& options);
std::vector<BenchKit::Report> probe(const BenchKit::Options& options);

// One search against the printers of `host`, timed from its start to the moment it has its answer; an
// error when it went wrong.
struct SearchRun {
    double ms = 0;
    QString error;
    std::optional<double> endMs{}; // for a program that tidies up after it answered: to its end
};
using SearchTimer = std::function<SearchRun(const BenchKit::PrinterHost& host, bool printerExpected)>;
// The two search set-ups, each searched a few times by `time` and set beside the search's floor. The
// figures are named "<what>, no printer" and "<what>, printer on COM6" (and "..., to its end").
std::vector<BenchKit::Report> searchReports(const BenchKit::Options& options, const QString& suite,
                                            const QString& what, const SearchTimer& time);
} // namespace DetectionFigures
