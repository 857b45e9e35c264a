#include "installedhelp.h"

#include <QCoreApplication>
#include <QDir>

// <prefix>/share/veltaro/help for <prefix>/bin, so that any install prefix works.
QString installedHelpDir() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/veltaro/help"));
}
