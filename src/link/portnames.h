#pragma once

#include <QString>
#include <QtGlobal>

// How the ports COM1..COM6 map onto this system's devices. On Windows a port is the system's "COMn". On
// Unix nothing names serial devices so, and port n is resolved afresh at every search, probe and open:
// first an entry COMn in a per-user port folder ($XDG_CONFIG_HOME/veltaro/ports/COMn, normally a symbolic
// link to a device such as /dev/ttyUSB0; an entry that leads nowhere hides number n), otherwise the
// system's serial devices as SerialDevices::number numbers them (serialdevices.h).
// On every system an entry of the port folder that is a small text file holding "rfc2217://HOST:PORT"
// makes port n a serial port on another machine (remoteline.h): its device path is that address, and it
// exists while the entry does. The entry is COMn on Unix, and COMn-remote.txt on Windows, where "COMn"
// (with any extension) names the system's serial device in every folder.
namespace PortNames {

QString portName(int n); // "COM" and the decimal digits of n

// The device path the serial layer opens for port n; empty when port n names nothing.
QString devicePath(int n);

// Non-zero when the system has port n. The port is not opened.
qint32 portExists(int n);

// The folder in which COMn entries are looked up: $XDG_CONFIG_HOME/veltaro/ports on Unix,
// %APPDATA%\veltaro\ports on Windows.
QString portFolder();

// The port folder's entry that can make port n remote: "COMn" on Unix, "COMn-remote.txt" on Windows.
QString remoteEntryName(int n);
// The rfc2217:// address of port n when it is a remote port, otherwise empty.
QString remoteUrl(int n);
// Makes port n the remote port at `url` for this process, whatever the folder says (a command line
// that names a server); an empty url takes that back.
void assignRemote(int n, const QString& url);

} // namespace PortNames
