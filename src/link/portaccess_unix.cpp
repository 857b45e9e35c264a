#include "portaccess.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace PortAccess {

QString refusal(const QString& devicePath, const QString& reason) {
    // The device's own permissions tell a user without the right from a port that is busy.
    if (::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return reason;
    const passwd* user = ::getpwuid(::getuid());
    const QString name = user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("$USER");
    return QCoreApplication::translate(
               "PortAccess", "%1.\r\nThis user may not use %2. On Debian and similar systems the serial "
                             "ports belong to the group \"dialout\": add the user to it (sudo adduser "
                             "%3 dialout), then log out and log in again")
        .arg(reason, devicePath, name);
}

} // namespace PortAccess
