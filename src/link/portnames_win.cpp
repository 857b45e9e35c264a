#include "portnames.h"

#include "rfc2217.h"
#include "serialdevices.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QRegularExpression>

#include <algorithm>

#include <windows.h>

namespace {
// Windows opens the serial device for a file named COMn, whatever its folder or extension: the entries
// carry a suffix. COMn-port.txt names a device or an address; COMn-remote.txt, the older entry, an
// address only.
const QString kRemoteEntry = QStringLiteral("-remote.txt");
constexpr qint64 kLargestEntry = 4096;

QString firstLine(const QString& path) {
    QFile file(path);
    if (file.size() > kLargestEntry || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

bool listed(const QString& device) {
    const QList<SerialDevices::Device> system = SerialDevices::systemDevices();
    return std::any_of(system.begin(), system.end(),
                       [&](const SerialDevices::Device& d) { return d.path == device; });
}

// What an entry says: its address, the device it names while the system lists it, or else nothing (an
// empty string: it leads nowhere, as an empty file does). A text that is neither an address nor a device
// name, an older remote entry without an address, and an entry for a number the wizard does not have are no
// entry at all: they hide nothing and open nothing, and `wrong` says why.
std::optional<QString> targetOf(const QString& folder, const QString& name, int n, QString* wrong) {
    const QString path = QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
    if (n > PortNames::kLastPort) {
        *wrong = QObject::tr("%1 is for a port the wizard does not have: only COM1 to COM%2 are ports")
                     .arg(path)
                     .arg(PortNames::kLastPort);
        return std::nullopt;
    }
    const QString line = firstLine(folder + QLatin1Char('/') + name);
    if (Rfc2217::parseUrl(line)) return line;
    if (line.isEmpty() && !name.endsWith(kRemoteEntry, Qt::CaseInsensitive)) return QString(); // hides n
    const QString device =
        name.endsWith(kRemoteEntry, Qt::CaseInsensitive) ? QString() : PortNames::systemDeviceName(line);
    if (device.isEmpty()) {
        *wrong = QObject::tr("%1 names neither a device (COM12) nor an address (rfc2217://HOST:PORT) on its "
                             "first line")
                     .arg(path);
        return std::nullopt;
    }
    return listed(device) ? device : QString();
}

void readFolder(std::map<int, QString>* entries, QStringList* wrong) {
    const QString folder = PortNames::portFolder();
    // COMn as portName(n) spells it: no leading zero, as the entry of one port is looked for.
    static const QRegularExpression entryName(QStringLiteral("^COM([1-9]\\d{0,2})-(port|remote)\\.txt$"),
                                              QRegularExpression::CaseInsensitiveOption);
    // Sorted by name whatever the case (Windows' file names ignore it): COMn-port.txt comes before
    // COMn-remote.txt and decides. No name filter: QDir makes a regular expression of one at every
    // listing, and a port is looked up at every open, each monitor tick's too.
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        const QRegularExpressionMatch match = entryName.match(name);
        const int n = match.captured(1).toInt();
        if (!match.hasMatch() || entries->count(n) != 0) continue;
        QString mistake;
        if (std::optional<QString> target = targetOf(folder, name, n, &mistake))
            (*entries)[n] = *target;
        else if (wrong && !mistake.isEmpty())
            *wrong << mistake;
    }
}
} // namespace

namespace PortNames {

QString portFolder() {
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/veltaro/ports");
}

std::map<int, QString> folderEntries() {
    std::map<int, QString> entries;
    readFolder(&entries, nullptr);
    return entries;
}

QStringList folderMistakes() {
    std::map<int, QString> entries;
    QStringList wrong;
    readFolder(&entries, &wrong);
    return wrong;
}

QString systemDeviceName(const QString& given) {
    static const QRegularExpression device(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?(COM[1-9]\\d{0,2})$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = device.match(given);
    return match.hasMatch() ? match.captured(1).toUpper() : QString();
}

qint32 portExists(int n) {
    return deviceThere(devicePath(n));
}

// The system knows a port that it lists, and one that can give its default configuration (the record
// zero-filled and its size passed along; that call's result is returned unchanged). The name asked for is
// the port's device: COMn itself, or the adapter that the numbering made port n. Under Wine that call
// succeeds for COM1 to COM9 whether or not they are mapped, and fails from COM10 on: the list decides.
qint32 deviceThere(const QString& device) {
    if (device.isEmpty()) return 0;
    if (Rfc2217::parseUrl(device) || listed(device)) return 1;
    const QByteArray name = device.toLatin1();
    unsigned char config[52] = {};
    DWORD size = sizeof(config);
    return GetDefaultCommConfigA(name.constData(), reinterpret_cast<LPCOMMCONFIG>(config), &size);
}

} // namespace PortNames
