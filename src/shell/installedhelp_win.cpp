#include "installedhelp.h"

#include <QCoreApplication>
#include <QDir>

// A Windows program keeps its files in its own folder: help\ beside veltaro.exe, installed or unzipped.
QString installedHelpDir() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/help"));
}
