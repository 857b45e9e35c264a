#pragma once

#include <QString>
#include <QtGlobal>

// How the ports COM1..COM6 map onto this system's devices. On Windows a port is the system's "COMn". On
// Unix a technician names ports in a per-user folder ($XDG_CONFIG_HOME/veltaro/ports/COMn, normally a
// symbolic link to a device such as /dev/ttyUSB0); without an entry, port n is /dev/ttyS<n-1>.
namespace PortNames {

QString portName(int n); // "COM" and the decimal digits of n

// The device path the serial layer opens for port n; empty when port n names nothing (an entry in the
// port folder that leads nowhere hides the system device of the same number).
QString devicePath(int n);

// Non-zero when the system has port n. The port is not opened.
qint32 portExists(int n);

// The folder in which COMn entries are looked up (Unix).
QString portFolder();

// Where port n lives when the port folder has no entry for it; "%1" stands for n - 1. Tests point this at
// an empty folder so that the machine's own serial ports stay out of the way.
void setSystemDevicePattern(const QString& pattern);

} // namespace PortNames
