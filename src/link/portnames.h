#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <map>

// How the ports COM1..COM6 map onto this system's devices, resolved afresh at every search, probe and
// open: first an entry for port n in a per-user port folder (an entry that leads nowhere hides number n),
// otherwise the system's serial devices as SerialDevices::number numbers them (serialdevices.h), the same
// rules on every system. An entry of the port folder is
//   - on Unix, COMn in $XDG_CONFIG_HOME/veltaro/ports: normally a symbolic link to a device such as
//     /dev/ttyUSB0, or a small text file holding "rfc2217://HOST:PORT";
//   - on Windows, COMn-port.txt in %APPDATA%\veltaro\ports: a text file whose first line names the device
//     ("COM12") or holds "rfc2217://HOST:PORT"; an older COMn-remote.txt holds an address only. Windows
//     opens its serial device for any file named "COMn" (with any extension), in every folder.
// A port whose device is an rfc2217:// address is a serial port on another machine (remoteline.h); it
// exists while its entry does.
namespace PortNames {

// The ports the wizard knows, COM1 to COM6; more devices than numbers are reached by their name.
constexpr int kFirstPort = 1;
constexpr int kLastPort = 6;

QString portName(int n); // "COM" and the decimal digits of n

// The device path the serial layer opens for port n; empty when port n names nothing.
QString devicePath(int n);

// Non-zero when the system has port n. The port is not opened.
qint32 portExists(int n);
// The same for a device path as devicePath gives it: a device the system has, or a remote port's address
// (whether its server answers is for the open to find out).
qint32 deviceThere(const QString& device);

// The folder in which the entries are looked up: $XDG_CONFIG_HOME/veltaro/ports on Unix,
// %APPDATA%\veltaro\ports on Windows.
QString portFolder();

// Makes port n the device or remote port `device` for this process, whatever the folder and the system
// say (a command line that names one); an empty device takes that back.
void assign(int n, const QString& device);

// A device as a technician names it, in the form the numbering uses: on Windows "COM12" for "com12" or
// "\\.\COM12"; on Unix the path, with the links on the way (/dev/serial/by-id/...) followed. Empty for
// anything that this system would not take for a device name.
QString systemDeviceName(const QString& given);
// The number that port n has for that device now (a device name as systemDeviceName gives it); 0 when
// no port leads to it.
int portOf(const QString& device);

// The port folder as this system keeps it (portnames_unix.cpp, portnames_win.cpp): every entry, by
// number, with its device or address, or an empty string when it leads nowhere.
std::map<int, QString> folderEntries();
// The files of the port folder that look like entries but are none (a text without an address, a number
// outside COM1..COM6, a link to something that is no serial device), one sentence each naming the file.
// Such a file hides no number and opens nothing.
QStringList folderMistakes();

} // namespace PortNames
