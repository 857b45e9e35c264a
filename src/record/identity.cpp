#include "identity.h"

#include <QCoreApplication>

namespace Identity {

void applyToApplication() {
    // Only the name: a display name would be appended to every window title on some desktops.
    QCoreApplication::setApplicationName(kProductName);
    QCoreApplication::setApplicationVersion(kFileVersion);
}

} // namespace Identity
