#include "helppane.h"

#include "installedhelp.h"
#include "language.h"

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
    // The page in the wizard's language (the folder named after it) comes first, the English page where
    // that one is missing, page by page. Each is looked for among the technician's own pages in the
    // working directory first; started from a menu, the working directory has none, and the installed
    // page stands in for the one it lacks.
    const QString name = file.fileName();
    const QStringList folders{file.path(), installedHelpDir()};
    QStringList candidates;
    if (Language::current() != Language::kEnglish)
        for (const QString& folder : folders)
            candidates << folder + QLatin1Char('/') + Language::current() + QLatin1Char('/') + name;
    candidates << path << folders.back() + QLatin1Char('/') + name;
    for (const QString& candidate : candidates)
        if (readable(QFileInfo(candidate))) {
            file = QFileInfo(candidate);
            m_path = candidate == path ? path : file.absoluteFilePath();
            break;
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
