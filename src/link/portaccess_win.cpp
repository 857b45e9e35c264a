#include "portaccess.h"

namespace PortAccess {

// Windows says in its own words what stands in the way.
QString refusal(const QString&, const QString& reason) {
    return reason;
}

} // namespace PortAccess
