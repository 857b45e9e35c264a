#include "portnames.h"

#include "rfc2217.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
constexpr ssize_t kLargestEntry = 4096; // an address is a line; anything larger is not an entry

// What an entry is: a port's device or address, nothing (a link that leads nowhere hides its number), or
// no entry at all, for the reason given. An entry that is none hides nothing and opens nothing: a text
// without an address is no device to open, and a number the wizard does not know must not take a device
// away from the numbering.
struct Entry {
    QString target;
    QString wrong;
};

// The address on the first line of an entry that is a small regular file.
Entry urlIn(const QByteArray& entry, const struct stat& st) {
    const QString name = QFile::decodeName(entry);
    if (st.st_size > kLargestEntry) return {{}, QObject::tr("%1 is too large to be a port entry").arg(name)};
    const int fd = ::open(entry.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {{},
                QObject::tr("%1 cannot be read: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno)))};
    char text[kLargestEntry];
    const ssize_t length = ::read(fd, text, sizeof(text));
    ::close(fd);
    const QString url = length > 0 ? Rfc2217::urlInEntryText(QByteArray(text, int(length))) : QString();
    if (url.isEmpty())
        return {
            {},
            QObject::tr("%1 holds no address of the form rfc2217://HOST:PORT on its first line").arg(name)};
    return {url, {}};
}

// A symbolic link names a device of this machine: the device, or nothing when it leads nowhere.
Entry deviceOf(const QByteArray& entry) {
    const std::unique_ptr<char, decltype(&std::free)> device(::realpath(entry.constData(), nullptr),
                                                             &std::free);
    if (!device) return {};
    struct stat st {};
    if (::stat(device.get(), &st) == 0 && !S_ISCHR(st.st_mode))
        return {{},
                QObject::tr("%1 leads to %2, which is no serial device")
                    .arg(QFile::decodeName(entry), QFile::decodeName(device.get()))};
    return {QFile::decodeName(device.get()), {}};
}

Entry entryAt(const QByteArray& entry, int n) {
    if (n < PortNames::kFirstPort || n > PortNames::kLastPort)
        return {{},
                QObject::tr("%1 is for a port the wizard does not have: only COM%2 to COM%3 are ports")
                    .arg(QFile::decodeName(entry))
                    .arg(PortNames::kFirstPort)
                    .arg(PortNames::kLastPort)};
    struct stat st {};
    if (::lstat(entry.constData(), &st) == 0 && S_ISREG(st.st_mode)) return urlIn(entry, st);
    return deviceOf(entry);
}

// Every entry COMn of the folder, as the system's own calls read it: a port is looked up at every open,
// each monitor tick's too, and twice a second while a lost port is waited for; the file classes'
// machinery cost several times as much there, and a waiting program should hardly use the processor.
void readFolder(std::map<int, QString>* entries, QStringList* wrong) {
    const QByteArray folder = QFile::encodeName(PortNames::portFolder());
    DIR* listing = ::opendir(folder.constData());
    if (!listing) return;
    while (const dirent* item = ::readdir(listing)) {
        if (std::strncmp(item->d_name, "COM", 3) != 0) continue;
        bool ok = false;
        const int n = QByteArray(item->d_name + 3).toInt(&ok);
        if (!ok || PortNames::portName(n).toLatin1() != item->d_name) continue;
        const Entry entry = entryAt(folder + '/' + item->d_name, n);
        if (entry.wrong.isEmpty())
            (*entries)[n] = entry.target;
        else if (wrong)
            *wrong << entry.wrong;
    }
    ::closedir(listing);
    if (wrong) wrong->sort();
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
