#include "portnames.h"

#include <windows.h>

namespace PortNames {

QString portName(int n) { return QStringLiteral("COM") + QString::number(n); }

QString portFolder() { return QString(); }

QString devicePath(int n) { return portName(n); }

// The system knows a port when it can give that port's default configuration; the record is zero-filled
// and its size passed along, and the call's result is returned unchanged.
qint32 portExists(int n) {
    const QByteArray name = portName(n).toLatin1();
    unsigned char config[52] = {};
    DWORD size = sizeof(config);
    return GetDefaultCommConfigA(name.constData(), reinterpret_cast<LPCOMMCONFIG>(config), &size);
}

} // namespace PortNames
