#pragma once

#include <QString>

// Why the system refused to open a serial device, told so that the technician knows what to do.
namespace PortAccess {

// `reason` is the system's own words. Where the user may not use the device at all, what grants that
// right is added; a device that another program holds is not such a case, although Qt names both a
// permission error.
QString refusal(const QString& devicePath, const QString& reason);

} // namespace PortAccess
