#pragma once

#include <QTextBrowser>

// The HTML help pane of a page. It only ever shows a local file given by its full path, or its page in the
// wizard's language (in the folder of the language beside it); where a file is missing, the installed help
// page of the same name stands in; a page missing everywhere gives one plain line saying which file, and
// the page goes on working.
class HelpPane : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpPane(QWidget* parent = nullptr);
    void Navigate(const QString& path);
    QString currentPath() const { return m_path; } // the file shown, or the one asked for if missing
    bool showsMissingFile() const { return m_missing; }

private:
    QString m_path;
    bool m_missing = false;
};
