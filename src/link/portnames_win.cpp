#include "portnames.h"

#include <QDir>

#include <windows.h>

namespace PortNames {

QString portFolder() {
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/veltaro/ports");
}

// Windows opens the serial device for a file named COMn, whatever its folder or extension.
QString remoteEntryName(int n) { return portName(n) + QStringLiteral("-remote.txt"); }

// An entry of the port folder with an address makes port n remote; otherwise it is the system's COMn.
QString devicePath(int n) {
    const QString url = remoteUrl(n);
    return url.isEmpty() ? portName(n) : url;
}

// The system knows a port when it can give that port's default configuration; the record is zero-filled
// and its size passed along, and the call's result is returned unchanged.
qint32 portExists(int n) {
    if (!remoteUrl(n).isEmpty()) return 1;
    const QByteArray name = portName(n).toLatin1();
    unsigned char config[52] = {};
    DWORD size = sizeof(config);
    return GetDefaultCommConfigA(name.constData(), reinterpret_cast<LPCOMMCONFIG>(config), &size);
}

} // namespace PortNames
