#pragma once

#include <QList>
#include <QString>

#include <map>
#include <optional>

// The serial devices the system lists, and how the ports COM1..COM6 are numbered over them (see
// portnames.h). The listing is the system's; the numbering is one for every system.
namespace SerialDevices {

struct Device {
    QString path;        // "/dev/ttyUSB0" on Unix, "COM12" on Windows
    QString description; // "FT232R USB UART", "USB Serial Port"; often empty for a built-in UART
    bool operator==(const Device&) const = default;
};

// Port number to device; a number that is not in the map names no device.
using Numbering = std::map<int, Device>;
// The port folder's entries COMn: number to the device the entry leads to, empty when it leads nowhere.
using FolderEntries = std::map<int, QString>;

// The system's serial devices as Qt's port enumeration lists them (real UARTs, USB adapters, CDC devices),
// or the list put in their place.
QList<Device> systemDevices();
// The system's own listing, asked again only when the system says its ports changed (a time stamp that
// costs next to nothing to read), so that every port open of a monitor tick may ask for it. One file per
// system: serialdevices_unix.cpp, serialdevices_win.cpp.
QList<Device> listedDevices();
// Puts a fixed list in place of the system's; std::nullopt gives the system's back. Tests use an empty
// list so that the machine's own serial ports stay out of the way.
void replaceSystemDevices(std::optional<QList<Device>> devices);

// The numbering. An entry of the port folder wins, and one that leads nowhere hides its number. A port
// the system itself numbers 1 to 6 keeps its number: Windows' COM1..COM6, a built-in UART /dev/ttyS<k>
// as COM<k+1>. Every other device (USB adapters, COM7 and up, ttyUSB*) takes the lowest free number, in
// the order of its device name (COM10 after COM9), so that a lone adapter is COM1 whatever number or
// kernel name the system gives it. A device that a folder entry names is not numbered a second time.
Numbering number(const FolderEntries& folder, QList<Device> system);

// What a technician reads about port n: "/dev/ttyUSB0, FT232R USB UART", or that no device has the number.
QString describe(int n, const Numbering& ports);
// The device port n leads to now, with its description; nothing when the port does not exist.
std::optional<Device> portDevice(int n);
// The same for the ports as the system resolves them now.
QString describePort(int n);

} // namespace SerialDevices
