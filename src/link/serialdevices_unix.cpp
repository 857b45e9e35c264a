#include "serialdevices.h"

#include <QSerialPortInfo>

#include <filesystem>

namespace SerialDevices {

QList<Device> listedDevices() {
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

} // namespace SerialDevices
