#include "portnames.h"

#include "rfc2217.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
constexpr ssize_t kLargestEntry = 4096; // an address is a line; anything larger is not an entry

// The address on the first line of an entry that is a small regular file; empty for anything else (a
// symbolic link names a device of this machine, as ever).
QString urlIn(const QByteArray& entry) {
    struct stat st {};
    if (::lstat(entry.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kLargestEntry) return {};
    const int fd = ::open(entry.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return {};
    char text[kLargestEntry];
    const ssize_t length = ::read(fd, text, sizeof(text));
    ::close(fd);
    return length > 0 ? Rfc2217::urlInEntryText(QByteArray(text, int(length))) : QString();
}

// A remote port's address, or the device an entry leads to: empty for a link that leads nowhere.
QString targetOf(const QByteArray& entry) {
    if (QString url = urlIn(entry); !url.isEmpty()) return url;
    const std::unique_ptr<char, decltype(&std::free)> device(::realpath(entry.constData(), nullptr),
                                                             &std::free);
    return device ? QFile::decodeName(device.get()) : QString();
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
    // Read with the system's own calls: a port is looked up at every open, each monitor tick's too, and
    // twice a second while a lost port is waited for; the file classes' machinery cost several times as
    // much there, and a waiting program should hardly use the processor at all.
    const QByteArray folder = QFile::encodeName(portFolder());
    DIR* listing = ::opendir(folder.constData());
    if (!listing) return entries;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strncmp(entry->d_name, "COM", 3) != 0) continue;
        bool ok = false;
        const int n = QByteArray(entry->d_name + 3).toInt(&ok);
        if (ok && portName(n).toLatin1() == entry->d_name)
            entries[n] = targetOf(folder + '/' + entry->d_name);
    }
    ::closedir(listing);
    return entries;
}

QString systemDeviceName(const QString& given) {
    if (!given.startsWith(QLatin1Char('/'))) return {};
    const QString resolved = QFileInfo(given).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(given) : resolved;
}

qint32 portExists(int n) {
    return deviceThere(devicePath(n));
}

qint32 deviceThere(const QString& path) {
    if (path.isEmpty())
        return 0;
    if (Rfc2217::parseUrl(path)) return 1;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return S_ISCHR(st.st_mode) ? 1 : 0;
}

} // namespace PortNames
