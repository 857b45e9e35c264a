#include "helppane.h"

#include "installedhelp.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

bool readable(const QFileInfo& file) {
    return file.isFile() && file.isReadable();
}

} // namespace

HelpPane::HelpPane(QWidget* parent) : QTextBrowser(parent) {
    setOpenExternalLinks(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAccessibleName(tr("Help"));
    // Tab moves on to the page's buttons, as in every other pane of the wizard.
    setTabChangesFocus(true);
}

void HelpPane::Navigate(const QString& path) {
    QFileInfo file(path);
    m_path = path;
    // The technician's own pages in the working directory come first; started from a menu, the working
    // directory has none, and the installed page stands in for the one it lacks.
    const QFileInfo installed(installedHelpDir() + QLatin1Char('/') + file.fileName());
    if (!readable(file) && readable(installed)) {
        file = installed;
        m_path = installed.absoluteFilePath();
    }
    m_missing = !readable(file);
    if (m_missing) {
        // A plain line, not a page: the technician sees which file the help folder lacks.
        setPlainText(tr("Help page not found: %1").arg(QDir::toNativeSeparators(file.absoluteFilePath())));
        return;
    }
    const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    // Asked for the page it already shows, the browser would keep what it has: it is made to forget the
    // page first, so that the file is read anew.
    if (source() == url) {
        clearHistory();
        setSource(QUrl());
        document()->clear();
    }
    setSource(url);
}
