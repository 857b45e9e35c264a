#include "helppane.h"

#include <QFileInfo>
#include <QUrl>

HelpPane::HelpPane(QWidget* parent) : QTextBrowser(parent) {
    setOpenExternalLinks(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void HelpPane::Navigate(const QString& path) {
    m_path = path;
    const QFileInfo file(path);
    m_missing = !file.isFile() || !file.isReadable();
    if (m_missing) {
        setPlainText(tr("Help page not found: %1").arg(path));
        return;
    }
    setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
}
