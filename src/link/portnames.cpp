#include "portnames.h"

#include "serialdevices.h"

namespace {
std::map<int, QString>& assigned() {
    static std::map<int, QString> devices;
    return devices;
}
} // namespace

namespace PortNames {

QString portName(int n) {
    return QStringLiteral("COM") + QString::number(n);
}

void assign(int n, const QString& device) {
    if (device.isEmpty())
        assigned().erase(n);
    else
        assigned()[n] = device;
}

QString devicePath(int n) {
    if (const auto given = assigned().find(n); given != assigned().end()) return given->second;
    // One look at the folder for both: the entry of port n decides alone, and the system's list is
    // asked only without one. The monitor opens its port at every tick, and under Wine every look at a
    // file is a round trip to Wine's server.
    const std::map<int, QString> entries = folderEntries();
    if (const auto entry = entries.find(n); entry != entries.end()) return entry->second;
    const SerialDevices::Numbering ports = SerialDevices::number(entries, SerialDevices::systemDevices());
    const auto port = ports.find(n);
    return port == ports.end() ? QString() : port->second.path;
}

int portOf(const QString& device) {
    for (int n = kFirstPort; n <= kLastPort; ++n)
        if (!device.isEmpty() && devicePath(n) == device) return n;
    return 0;
}

} // namespace PortNames
