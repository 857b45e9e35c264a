#include "portnames.h"

#include "rfc2217.h"
#include "serialdevices.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
SerialDevices::FolderEntries folderEntries() {
    SerialDevices::FolderEntries entries;
    // Dangling links are listed only among the "system" entries.
    const QDir::Filters filter = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry :
         QDir(PortNames::portFolder()).entryInfoList({QStringLiteral("COM*")}, filter)) {
        bool ok = false;
        const int n = entry.fileName().mid(3).toInt(&ok);
        if (!ok || PortNames::portName(n) != entry.fileName()) continue;
        const QString url = Rfc2217::urlInEntry(entry.filePath());
        entries[n] = url.isEmpty() ? entry.canonicalFilePath() : url; // empty for a link that leads nowhere
    }
    return entries;
}
} // namespace

namespace PortNames {

QString remoteEntryName(int n) { return portName(n); }

QString portFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/veltaro/ports");
}

QString devicePath(int n) {
    // The entry of port n decides alone; the system's list is asked only without one.
    if (const QString url = remoteUrl(n); !url.isEmpty()) return url;
    const QFileInfo entry(portFolder() + QLatin1Char('/') + portName(n));
    if (entry.exists() || entry.isSymLink())
        return entry.canonicalFilePath();
    const SerialDevices::Numbering ports =
        SerialDevices::number(folderEntries(), SerialDevices::systemDevices());
    const auto port = ports.find(n);
    return port == ports.end() ? QString() : port->second.path;
}

qint32 portExists(int n) {
    const QString path = devicePath(n);
    if (path.isEmpty())
        return 0;
    if (path == remoteUrl(n)) return 1; // whether its server answers is for the open to find out
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return S_ISCHR(st.st_mode) ? 1 : 0;
}

} // namespace PortNames
