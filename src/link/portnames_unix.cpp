#include "portnames.h"

#include "rfc2217.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
// A remote port's address, or the device an entry leads to: empty for a link that leads nowhere.
QString targetOf(const QFileInfo& entry) {
    const QString url = Rfc2217::urlInEntry(entry.filePath());
    return url.isEmpty() ? entry.canonicalFilePath() : url;
}
} // namespace

namespace PortNames {

QString portFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/veltaro/ports");
}

std::map<int, QString> folderEntries() {
    std::map<int, QString> entries;
    // Dangling links are listed only among the "system" entries. No name filter: QDir makes a regular
    // expression of one at every listing, and a port is looked up at every open, each monitor tick's too.
    const QDir::Filters filter = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : QDir(portFolder()).entryInfoList(filter, QDir::NoSort)) {
        const QString name = entry.fileName();
        bool ok = false;
        const int n = name.startsWith(QLatin1String("COM")) ? name.mid(3).toInt(&ok) : 0;
        if (ok && portName(n) == name) entries[n] = targetOf(entry);
    }
    return entries;
}

QString systemDeviceName(const QString& given) {
    if (!given.startsWith(QLatin1Char('/'))) return {};
    const QString resolved = QFileInfo(given).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(given) : resolved;
}

qint32 portExists(int n) {
    const QString path = devicePath(n);
    if (path.isEmpty())
        return 0;
    if (Rfc2217::parseUrl(path)) return 1; // whether its server answers is for the open to find out
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return S_ISCHR(st.st_mode) ? 1 : 0;
}

} // namespace PortNames
