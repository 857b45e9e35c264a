#include "serialdevices.h"

#include <QSerialPortInfo>

#include <windows.h>

namespace SerialDevices {
namespace {

// What the system's map of serial ports (HARDWARE\DEVICEMAP\SERIALCOMM, which every serial driver writes
// when its port comes and takes back when it goes) says of itself: how many ports it holds and when it
// last changed. A map that is not there, as on a machine without any serial port, is a state too.
struct MapStamp {
    DWORD ports = 0;
    DWORD writtenLow = 0;
    DWORD writtenHigh = 0;
    bool operator==(const MapStamp&) const = default;
};

MapStamp mapStamp() {
    // The key stays open: under Wine each registry call is a round trip to its server, and a query on an
    // open key sees every later change.
    static HKEY key = nullptr;
    if (!key && RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                              &key) != ERROR_SUCCESS) {
        key = nullptr;
        return {};
    }
    MapStamp stamp;
    FILETIME written{};
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &stamp.ports, nullptr,
                         nullptr, nullptr, &written) != ERROR_SUCCESS) {
        RegCloseKey(key);
        key = nullptr;
        return {};
    }
    stamp.writtenLow = written.dwLowDateTime;
    stamp.writtenHigh = written.dwHighDateTime;
    return stamp;
}

} // namespace

QList<Device> listedDevices() {
    // Qt asks the device manager for every port, which takes milliseconds: too slow for each port open
    // of the monitor's 50 ms ticks. Reading the map's stamp takes microseconds, and it changes whenever a
    // port comes or goes (an adapter plugged in, pulled, or moved to another socket).
    static std::optional<MapStamp> listedAt;
    static QList<Device> devices;
    const MapStamp now = mapStamp();
    if (listedAt == now) return devices;
    listedAt = now;
    devices.clear();
    // The device is the port's own name ("COM12"), as a technician types it and as the port is opened.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices << Device{info.portName().toUpper(), info.description()};
    return devices;
}

} // namespace SerialDevices
