#include "serialdevices.h"

#include "portnames.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <filesystem>
#include <set>

namespace SerialDevices {
namespace {

std::optional<QList<Device>>& replacement() {
    static std::optional<QList<Device>> devices;
    return devices;
}

// The port a built-in UART keeps: /dev/ttyS<k> is COM<k+1>. 0 for any other device.
int uartPort(const QString& path) {
    static const QRegularExpression uart(QStringLiteral("^/dev/ttyS(\\d{1,3})$"));
    const QRegularExpressionMatch match = uart.match(path);
    return match.hasMatch() ? match.captured(1).toInt() + 1 : 0;
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
    // Qt opens every serial device node to list the real ones, which takes over 10 ms: too slow for each
    // port open of the monitor's 50 ms ticks. The list changes only when a device node comes or goes, and
    // that changes the time stamp of /dev; where there is no /dev, the system is asked every time.
    static std::optional<std::filesystem::file_time_type> listedAt;
    static QList<Device> devices;
    std::error_code error;
    const std::filesystem::file_time_type nodesChanged = std::filesystem::last_write_time("/dev", error);
    if (!error && listedAt == nodesChanged) return devices;
    listedAt = error ? std::nullopt : std::optional(nodesChanged);
    devices.clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << Device{info.systemLocation(), info.description()};
    return devices;
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
        const int uart = uartPort(d.path);
        if (uart == 0)
            others << d;
        else if (taken.insert(uart).second)
            ports[uart] = d;
    }
    int next = 1;
    for (const Device& d : others) {
        while (taken.count(next) != 0)
            ++next;
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
