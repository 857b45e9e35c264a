#include "portnames.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
QString& systemDevicePattern() {
    static QString pattern = QStringLiteral("/dev/ttyS%1");
    return pattern;
}
} // namespace

namespace PortNames {

QString portName(int n) { return QStringLiteral("COM") + QString::number(n); }

QString portFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/veltaro/ports");
}

QString devicePath(int n) {
    const QFileInfo entry(portFolder() + QLatin1Char('/') + portName(n));
    if (entry.exists() || entry.isSymLink())
        return entry.canonicalFilePath(); // empty for a link that leads nowhere
    return systemDevicePattern().arg(n - 1);
}

qint32 portExists(int n) {
    const QString path = devicePath(n);
    if (path.isEmpty())
        return 0;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return S_ISCHR(st.st_mode) ? 1 : 0;
}

void setSystemDevicePattern(const QString& pattern) { systemDevicePattern() = pattern; }

} // namespace PortNames
