#pragma once

#include <QTextBrowser>

// The HTML help pane of a page. It only ever shows a local file given by its full path; a file that is
// missing or unreadable gives one plain line saying which, and the page goes on working.
class HelpPane : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpPane(QWidget* parent = nullptr);
    void Navigate(const QString& path);
    QString currentPath() const { return m_path; }
    bool showsMissingFile() const { return m_missing; }

private:
    QString m_path;
    bool m_missing = false;
};
