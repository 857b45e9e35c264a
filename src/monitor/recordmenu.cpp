#include "recordmenu.h"

#include "record/recordfile.h"
#include "shell/messages.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <utility>

RecordMenu::RecordMenu(QWidget& window, QWidget& chart, QString& folder, std::function<Record::Sheet()> sheet)
    : QObject(&window), m_window(window), m_chart(chart), m_folder(folder), m_sheet(std::move(sheet)),
      m_menu(new QMenu(&chart)) {
    m_menu->setObjectName(QStringLiteral("ChartMenu"));
    m_menu->setAccessibleName(tr("Chart"));
    m_savePicture = m_menu->addAction(tr("Save picture..."), this, [this] { ask(Kind::Picture); });
    m_savePicture->setObjectName(QStringLiteral("SavePicture"));
    m_savePicture->setShortcut(QKeySequence::Save);
    m_saveSamples = m_menu->addAction(tr("Save samples..."), this, [this] { ask(Kind::Samples); });
    m_saveSamples->setObjectName(QStringLiteral("SaveSamples"));
    // Ctrl+S and the keyboard's ways to a context menu work wherever the focus is on the page: the chart
    // takes no focus of its own, so as not to change the page's tab order.
    window.addAction(m_savePicture);
    auto* keyboardMenu = new QAction(this);
    keyboardMenu->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    connect(keyboardMenu, &QAction::triggered, this, [this] { popUp(); });
    window.addAction(keyboardMenu);
    chart.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&chart, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_menu->popup(m_chart.mapToGlobal(at)); });
}

RecordMenu::~RecordMenu() {
    // A record asked for is written, also when the page is left meanwhile.
    for (const std::unique_ptr<QThread>& thread : m_writes)
        thread->wait();
}

void RecordMenu::popUp() {
    m_menu->popup(m_chart.mapToGlobal(m_chart.rect().center()));
}

bool RecordMenu::writing() const {
    return !m_writes.empty();
}

void RecordMenu::release() {
    // Opened from the event loop, not from the end of the tick: the tick's handler returns first.
    if (m_asked)
        QTimer::singleShot(0, this, [this] {
            if (m_held && m_held()) return; // another tick waits by now; its end releases the dialog
            if (const std::optional<Kind> kind = std::exchange(m_asked, std::nullopt)) ask(*kind);
        });
}

void RecordMenu::ask(Kind kind) {
    if (m_held && m_held()) {
        m_asked = kind;
        return;
    }
    Record::Sheet sheet = m_sheet();
    const bool picture = kind == Kind::Picture;
    const QString title = picture ? tr("Save picture") : tr("Save samples");
    const QString name = QStringLiteral("veltaro-") + sheet.taken.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         (picture ? QStringLiteral(".png") : QStringLiteral(".csv"));
    const QString folder = m_folder.isEmpty() ? QDir::homePath() : m_folder;
    const QPointer<QFileDialog> dialog =
        new QFileDialog(&m_window, title, QDir(folder).filePath(name),
                        picture ? tr("Picture (*.png);;PDF document (*.pdf)") : tr("Samples (*.csv)"));
    dialog->setObjectName(QStringLiteral("RecordDialog"));
    dialog->setAccessibleName(title);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(picture ? QStringLiteral("png") : QStringLiteral("csv"));
    QString chosen;
    connect(dialog, &QFileDialog::fileSelected, dialog, [&chosen](const QString& path) { chosen = path; });
    // The sampling goes on while the dialog is open, and the page may be left under it: the record taken
    // before it opened is written all the same.
    const QPointer<RecordMenu> self(this);
    const qreal ratio = m_window.devicePixelRatioF();
    dialog->exec();
    delete dialog.data();
    if (chosen.isEmpty()) return;
    if (!self) return writeNow(chosen, sheet, ratio);
    m_folder = QFileInfo(chosen).absolutePath();
    start(chosen, std::move(sheet));
}

// The menu went while its dialog was open: nobody is left to wait for a thread.
void RecordMenu::writeNow(const QString& path, const Record::Sheet& sheet, qreal ratio) {
    const Record::Written written = Record::write(path, sheet, ratio);
    if (!written.ok) Messages::show(nullptr, written.problem, QMessageBox::Warning);
}

void RecordMenu::save(const QString& path) {
    start(path, m_sheet());
}

void RecordMenu::start(const QString& path, Record::Sheet sheet) {
    const qreal ratio = m_window.devicePixelRatioF();
    auto result = std::make_shared<Record::Written>();
    QThread* thread = QThread::create(
        [path, sheet = std::move(sheet), ratio, result] { *result = Record::write(path, sheet, ratio); });
    connect(thread, &QThread::finished, this,
            [this, thread, path, result] { finished(thread, path, result->problem); });
    m_writes.emplace_back(thread);
    thread->start(QThread::LowPriority);
}

void RecordMenu::finished(QThread* thread, const QString& path, const QString& problem) {
    // Told once the thread has ended, not from its last signal.
    const auto done = std::find_if(m_writes.begin(), m_writes.end(),
                                   [thread](const std::unique_ptr<QThread>& t) { return t.get() == thread; });
    if (done == m_writes.end()) return;
    (*done)->wait();
    m_writes.erase(done);
    emit written(path, problem);
    if (!problem.isEmpty())
        Messages::show(m_window.isVisible() ? &m_window : nullptr, problem, QMessageBox::Warning);
}
