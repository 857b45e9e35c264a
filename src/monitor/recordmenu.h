#pragma once

#include "record/record.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QThread;
class QWidget;

// The monitor chart's record on the page: the chart's context menu (right click, the Menu key,
// Shift+F10) with "Save picture..." and "Save samples...", Ctrl+S for the picture, and a file dialog
// that starts in the folder of the last record of this run.
//
// The record is taken when it is asked for, before the dialog opens: what the technician saw. It is
// drawn and written on a thread of its own, so that the sampling goes on meanwhile; the page may be left
// while a dialog or a write is under way, and a write in progress is finished before the menu goes.
class RecordMenu : public QObject {
    Q_OBJECT
public:
    RecordMenu(QWidget& window, QWidget& chart, QString& folder, std::function<Record::Sheet()> sheet);
    ~RecordMenu() override;

    QMenu* menu() const { return m_menu; }
    QAction* savePicture() const { return m_savePicture; }
    QAction* saveSamples() const { return m_saveSamples; }

    // Writes the record as it stands now to `path` in the background; written() tells how it went.
    void save(const QString& path);
    // Writes still under way.
    bool writing() const;
    // While `held` says so (a monitor tick waits for its reply), a dialog asked for waits: its own event
    // loop would keep the tick from returning, and the sampling would stop until it closed. release()
    // opens it once the tick is done.
    void setHeld(std::function<bool()> held) { m_held = std::move(held); }
    void release();

signals:
    void written(const QString& path, const QString& problem);

private:
    enum class Kind { Picture, Samples };
    void ask(Kind kind);
    void popUp();
    void start(const QString& path, Record::Sheet sheet);
    static void writeNow(const QString& path, const Record::Sheet& sheet, qreal ratio);
    void finished(QThread* thread, const QString& path, const QString& problem);

    QWidget& m_window;
    QWidget& m_chart;
    QString& m_folder;
    std::function<Record::Sheet()> m_sheet;
    QMenu* m_menu;
    QAction* m_savePicture;
    QAction* m_saveSamples;
    std::vector<std::unique_ptr<QThread>> m_writes;
    std::function<bool()> m_held;
    std::optional<Kind> m_asked; // a dialog asked for while held
};
