#include "step1.h"

#include "link/protocol.h"
#include "portselection.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/pagehost.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
// Until a search has found nothing, the row holds only Exit and Start, drawn nearer the middle.
constexpr int kExitLeftTwoButtons = 920;
constexpr int kStartLeftTwoButtons = 2920;
} // namespace

Step1::Step1(PageHost& wizard)
    : Page(wizard, Layout::step1(), Lifetime::WholeRun), WebBrowser(control<HelpPane>("WebBrowser")),
      ScanStatus(control<QLabel>("ScanStatus")), Exit(control<QPushButton>("Exit")),
      ManualDetect(control<QPushButton>("ManualDetect")), Start(control<QPushButton>("Start")),
      Timer1(control<QTimer>("Timer1")), m_link(wizard.state(), m_comm, *Timer1) {
    connect(Start, &QPushButton::clicked, this, &Step1::Start_Click);
    connect(ManualDetect, &QPushButton::clicked, this, &Step1::ManualDetect_Click);
    connect(Exit, &QPushButton::clicked, this, &Step1::Exit_Click);
}

void Step1::Form_Load() {
    SharedState& state = wizard().state();
    state.EscChar = QByteArray(1, Protocol::kEsc);
    state.GsChar = QByteArray(1, Protocol::kGs);
    state.CanChar = QByteArray(1, Protocol::kCan);
    state.PortIsOpen = false;
    // Taken once, as it is now: every page finds its help files here for the rest of the run. The
    // separator goes on unconditionally, so a root folder gives two in a row, which the system accepts.
    state.HelpDir = QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator();
    ScanStatus->setText(QString());
    Timer1->stop();
    useButtonRow(ButtonRow::ExitAndStart);
    openHelp(QStringLiteral("Step1.html"));
    Start->setFocus();
}

void Step1::Form_Unload() {
    wizard().endProgram();
}

void Step1::Start_Click() {
    setCursor(Qt::WaitCursor);
    // The port selection page drives the same port: shown during a search, its Detect and Back would
    // close and reopen the port under the search, and its success would show the sensor page beside it.
    for (QPushButton* button : {Exit, Start, ManualDetect})
        button->setEnabled(false);
    wizard().get<PortSelection>().Autodetect_Click();
    // Closed during the search, or a printer stuck in its firmware loader: the program has ended.
    if (wizard().isEnding()) return;
    unsetCursor();
    for (QPushButton* button : {Exit, Start, ManualDetect})
        button->setEnabled(true);
    if (wizard().state().PrinterFound) {
        hide();
        // On the first arrival loading Step2 has run its Form_Load already; it runs again as the reset.
        Step2& step2 = wizard().get<Step2>();
        step2.show();
        step2.Form_Load();
        return;
    }
    showNotFound();
}

void Step1::showNotFound() {
    Start->setText(tr("Search again"));
    openHelp(QStringLiteral("Step1NotFound.html"));
    useButtonRow(ButtonRow::WithManualDetect);
    ScanStatus->setText(QString());
}

void Step1::useButtonRow(ButtonRow row) {
    // The layout table holds the three-button row.
    const Layout::Window& table = layoutTable();
    const bool all = row == ButtonRow::WithManualDetect;
    const int exitLeft = all ? table.element(QStringLiteral("Exit"))->left : kExitLeftTwoButtons;
    const int startLeft = all ? table.element(QStringLiteral("Start"))->left : kStartLeftTwoButtons;
    Exit->move(Layout::toPixels(exitLeft), Exit->y());
    Start->move(Layout::toPixels(startLeft), Start->y());
    ManualDetect->setVisible(all);
}

void Step1::ManualDetect_Click() {
    hide();
    wizard().get<PortSelection>().show();
}

void Step1::Exit_Click() {
    wizard().endProgram();
}
