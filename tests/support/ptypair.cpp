#include "ptypair.h"

#include "link/serialdevices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

RawPty::RawPty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
}

RawPty::~RawPty() {
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
}

void RawPty::write(const QByteArray& bytes) {
    if (m_master >= 0) [[maybe_unused]]
        auto n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
}

QByteArray RawPty::readAll() {
    QByteArray all;
    for (int quietPolls = 0; m_master >= 0 && quietPolls < 6; ++quietPolls) { // quiet for 30 ms
        QCoreApplication::processEvents();
        pollfd p{m_master, POLLIN, 0};
        char buf[512];
        const ssize_t n =
            ::poll(&p, 1, 5) > 0 && (p.revents & POLLIN) ? ::read(m_master, buf, sizeof buf) : 0;
        if (n > 0) {
            all.append(buf, n);
            quietPolls = -1;
        }
    }
    return all;
}

TestPortFolder::TestPortFolder() {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    QDir(m_dir.path()).mkpath(QStringLiteral("veltaro/ports"));
    SerialDevices::replaceSystemDevices(QList<SerialDevices::Device>{});
}

void TestPortFolder::setPort(int n, const QString& devicePath) {
    const QString entry = path() + QStringLiteral("/COM") + QString::number(n);
    QFile::remove(entry);
    if (!devicePath.isEmpty()) QFile::link(devicePath, entry);
}

void TestPortFolder::setRemote(int n, const QString& url) {
    setPort(n, {});
    QFile entry(path() + QStringLiteral("/COM") + QString::number(n));
    if (entry.open(QIODevice::WriteOnly)) entry.write(url.toUtf8() + '\n');
}
