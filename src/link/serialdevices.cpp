#include "serialdevices.h"

#include "portnames.h"

#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace SerialDevices {
namespace {

std::optional<QList<Device>>& replacement() {
    static std::optional<QList<Device>> devices;
    return devices;
}

// The number a port keeps because the system gives it one of 1 to 6: Windows' COMn, and a built-in UART
// /dev/ttyS<k> as COM<k+1>. 0 for any other device, which takes a free number.
int ownPort(const QString& path) {
    static const QRegularExpression windows(QStringLiteral("^COM(\\d{1,3})$"));
    static const QRegularExpression uart(QStringLiteral("^/dev/ttyS(\\d{1,3})$"));
    int n = 0;
    if (const QRegularExpressionMatch match = windows.match(path); match.hasMatch())
        n = match.captured(1).toInt();
    else if (const QRegularExpressionMatch match = uart.match(path); match.hasMatch())
        n = match.captured(1).toInt() + 1;
    return n >= PortNames::kFirstPort && n <= PortNames::kLastPort ? n : 0;
}

// Device names in the order a technician reads them: /dev/ttyUSB10 after /dev/ttyUSB9.
bool nameOrder(const Device& a, const Device& b) {
    const auto split = [](const QString& path) {
        qsizetype digits = path.size();
        while (digits > 0 && path.at(digits - 1).isDigit())
            --digits;
        return std::pair(path.left(digits), path.mid(digits).toULongLong());
    };
    return split(a.path) < split(b.path);
}

// The device at that path, with the description the system gives it, if it lists it.
Device deviceAt(const QString& path, const QList<Device>& system) {
    const auto listed =
        std::find_if(system.begin(), system.end(), [&](const Device& d) { return d.path == path; });
    return listed == system.end() ? Device{path, {}} : *listed;
}

} // namespace

QList<Device> systemDevices() {
    if (replacement()) return *replacement();
    return listedDevices();
}

void replaceSystemDevices(std::optional<QList<Device>> devices) {
    replacement() = std::move(devices);
}

Numbering number(const FolderEntries& folder, QList<Device> system) {
    Numbering ports;
    std::set<int> taken;
    for (const auto& [n, target] : folder) {
        taken.insert(n);
        if (!target.isEmpty()) ports[n] = deviceAt(target, system);
    }
    system.removeIf([&](const Device& d) {
        return std::any_of(folder.begin(), folder.end(),
                           [&](const auto& entry) { return entry.second == d.path; });
    });
    std::sort(system.begin(), system.end(), nameOrder);
    QList<Device> others;
    for (const Device& d : system) {
        const int own = ownPort(d.path);
        if (own == 0)
            others << d;
        else if (taken.insert(own).second)
            ports[own] = d;
    }
    int next = PortNames::kFirstPort;
    for (const Device& d : others) {
        while (taken.count(next) != 0)
            ++next;
        if (next > PortNames::kLastPort) break; // more devices than numbers: the rest are reached by their name
        taken.insert(next);
        ports[next] = d;
    }
    return ports;
}

QString describe(int n, const Numbering& ports) {
    const auto port = ports.find(n);
    if (port == ports.end()) return QStringLiteral("No device has the number %1").arg(PortNames::portName(n));
    const Device& device = port->second;
    return device.description.isEmpty() ? device.path
                                        : device.path + QStringLiteral(", ") + device.description;
}

std::optional<Device> portDevice(int n) {
    if (!PortNames::portExists(n)) return std::nullopt;
    return deviceAt(PortNames::devicePath(n), systemDevices());
}

QString describePort(int n) {
    Numbering ports;
    if (const std::optional<Device> device = portDevice(n)) ports[n] = *device;
    return describe(n, ports);
}

} // namespace SerialDevices
