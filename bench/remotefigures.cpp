#include "remotefigures.h"

#include "detectionfigures.h"
#include "monitorfigures.h"

namespace {

using namespace BenchKit;

constexpr double kFloorTolerance = 0.10;
constexpr double kPeriodP99Ms = 60;

// The local suites judge their figures by the local goals; a remote port is given its own.
void rejudge(Report& report) {
    report.suite = QStringLiteral("remote");
    for (Figure& f : report.figures) {
        if (f.name == QLatin1String("sampling period, p99")) {
            f.goal = QStringLiteral("<= 60 ms");
            f.met = f.value <= kPeriodP99Ms;
        } else if (f.floor &&
                   (f.name.startsWith(QLatin1String("automatic search")) ||
                    f.name == QLatin1String("manual probe")) &&
                   !f.name.endsWith(QLatin1String("to its end"))) {
            f.goal = QStringLiteral("<= floor + 10%");
            f.met = f.value <= *f.floor * (1 + kFloorTolerance);
        }
    }
}

} // namespace

namespace RemoteFigures {

std::vector<Report> run(const Options& options) {
    Options remote = options;
    remote.printers = {QStringLiteral("remote")};
    std::vector<Report> reports = DetectionFigures::search(remote);
    for (Report& r : DetectionFigures::probe(remote))
        reports.push_back(std::move(r));
    for (Report& r : MonitorFigures::run(remote))
        reports.push_back(std::move(r));
    for (Report& r : reports)
        rejudge(r);
    return reports;
}

} // namespace RemoteFigures
