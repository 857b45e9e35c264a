// Every bench suite, by the name scripts/bench knows it by. A new suite is a function in a file of its
// own and one line here.
#include "benchkit.h"
#include "monitorfigures.h"

namespace BenchKit {

const std::vector<Suite>& suites() {
    static const std::vector<Suite> all{
        {QStringLiteral("monitor"), QStringLiteral("live monitor: sampling period and CPU"),
         &MonitorFigures::run},
    };
    return all;
}

} // namespace BenchKit
