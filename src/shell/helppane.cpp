#include "helppane.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

HelpPane::HelpPane(QWidget* parent) : QTextBrowser(parent) {
    setOpenExternalLinks(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAccessibleName(tr("Help"));
    // Tab moves on to the page's buttons, as in every other pane of the wizard.
    setTabChangesFocus(true);
}

void HelpPane::Navigate(const QString& path) {
    m_path = path;
    const QFileInfo file(path);
    m_missing = !file.isFile() || !file.isReadable();
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
