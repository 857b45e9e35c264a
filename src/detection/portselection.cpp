#include "portselection.h"

#include "link/portnames.h"
#include "link/protocol.h"
#include "link/serialdevices.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/messages.h"
#include "shell/wizard.h"
#include "step1.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
const QString kStartSpeed = QStringLiteral("9600");
} // namespace

PortSelection::PortSelection(Wizard& wizard)
    : Page(wizard, Layout::portSelection(), Lifetime::WholeRun), WebBrowser(control<HelpPane>("WebBrowser")),
      DetectedPrinter(control<QLabel>("DetectedPrinter")), serialspeed(control<QComboBox>("serialspeed")),
      serialhandshakeconf(control<QComboBox>("serialhandshakeconf")),
      DetectSerialPrinter(control<QPushButton>("DetectSerialPrinter")), Back(control<QPushButton>("Back")),
      Next(control<QPushButton>("Next")), Exit(control<QPushButton>("Exit")) {
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        m_portButtons[std::size_t(n - 1)] = control<QRadioButton>(PortNames::portName(n));
    connect(DetectSerialPrinter, &QPushButton::clicked, this, &PortSelection::DetectSerialPrinter_Click);
    connect(Back, &QPushButton::clicked, this, &PortSelection::Back_Click);
    connect(Next, &QPushButton::clicked, this, &PortSelection::Next_Click);
    connect(Exit, &QPushButton::clicked, this, &PortSelection::Exit_Click);
}

Link& PortSelection::link() const {
    return wizard().link();
}
MSComm& PortSelection::comm() const {
    return wizard().link().comm();
}
SharedState& PortSelection::state() const {
    return wizard().state();
}

void PortSelection::Form_Load() {
    state().PrinterFound = false;
    openHelp(QStringLiteral("Step1bis.html"));
    // The list of ports is taken once: a port plugged in later is reached through the automatic search.
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        if (!link().PortExists(qint16(n))) portButton(n)->setEnabled(false);
    describePorts();
    serialspeed->addItems(Protocol::speeds());
    serialhandshakeconf->addItems({QStringLiteral("Xon-Xoff"), QStringLiteral("DSR/DTR Mode")});
    serialspeed->setCurrentIndex(int(Protocol::speeds().indexOf(kStartSpeed)));
    serialhandshakeconf->setCurrentIndex(HardwareEntry);
    setDetectedPrinter(QStringLiteral("No printer found yet, please start detection."));
    // No port is chosen until the technician or a search chooses one. Option buttons of one group cannot
    // be cleared one by one, so the group is lifted for a moment.
    for (QRadioButton* button : m_portButtons) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    Next->setEnabled(false);
}

void PortSelection::Form_Unload() {
    wizard().endProgram();
}

void PortSelection::SetBusy(bool busy) {
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
    DetectSerialPrinter->setEnabled(!busy);
}

void PortSelection::setDetectedPrinter(const QString& text) {
    if (DetectedPrinter->text() == text) return;
    DetectedPrinter->setText(text);
    DetectedPrinter_Change();
    emit detectedPrinterChanged(text);
}

void PortSelection::DetectedPrinter_Change() {
    // The automatic search runs while this page is hidden: its progress reaches the technician here.
    Step1* step1 = wizard().loadedStep1();
    if (step1 && step1->isVisible()) step1->ScanStatus->setText(DetectedPrinter->text());
}

void PortSelection::DetectSerialPrinter_Click() {
    qint16 chosen = 0;
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        if (portButton(n)->isChecked()) chosen = qint16(n);
    if (chosen == 0) {
        Messages::show(this, QStringLiteral("You must select a serial port"), QMessageBox::Critical);
        return;
    }
    // The port may have gone since the page was loaded (a USB adapter pulled).
    if (!link().PortExists(chosen)) {
        Messages::show(this, QStringLiteral("This port does not exist"), QMessageBox::Critical);
        return;
    }
    state().PrinterFound = false;
    SetBusy(true);
    m_work = Work::Probing;
    m_stopRequested = false;
    const ProbeResult probe =
        ProbePrinter(chosen, serialspeed->currentText(), qint16(serialhandshakeconf->currentIndex()));
    if (wizard().isEnding()) return;
    m_work = Work::Idle;
    if (!probe.abandoned) {
        if (!probe.portProblem.isEmpty()) Messages::portProblem(this, probe.portProblem);
        setDetectedPrinter(probe.status);
    }
    describePorts(); // the probe resolved the port afresh: an adapter may be back under a new name
    SetBusy(false);
}

void PortSelection::Back_Click() {
    // A search belongs to Step1, which Back returns to and which shows its progress: it goes on. A
    // manual probe (or another page's exchange) is abandoned, so that Step1 can start a search.
    if (m_work != Work::Searching) {
        m_stopRequested = m_work == Work::Probing;
        link().cancelWaits();
    }
    hide();
    Step1& step1 = wizard().step1();
    step1.ScanStatus->setText(QString());
    step1.show();
}

void PortSelection::Next_Click() {
    // The next page talks to the printer: nothing of detection may keep the port.
    m_stopRequested = m_work != Work::Idle;
    link().cancelWaits();
    hide();
    wizard().step2().show();
}

void PortSelection::Exit_Click() {
    wizard().endProgram();
}

MSComm::OpenResult PortSelection::openAt(qint16 port, const QString& speed, int handshaking) {
    // Detection expects the port closed; one left open by another page is taken back first.
    link().ClosePrinterPort();
    comm().close();
    comm().setCommPort(port);
    comm().setSettings(Protocol::settingsText(speed));
    comm().setHandshaking(handshaking);
    comm().setInputMode(MSComm::InputMode::Text);
    const MSComm::OpenResult opened = comm().open();
    if (opened) comm().discardInput();
    return opened;
}

bool PortSelection::stopRequested() const {
    return m_stopRequested || wizard().isEnding();
}

void PortSelection::giveUpPort() {
    // When the program ends, the end routine has closed the port already and nothing is left to tidy.
    if (wizard().isEnding()) return;
    comm().close();
    ClearPrinterFound();
}

QWidget* PortSelection::boxParent() {
    Step1* step1 = wizard().loadedStep1();
    if (!isVisible() && step1 && step1->isVisible()) return step1;
    return this;
}

// Which device each number stands for now; the options keep their captions.
void PortSelection::describePorts() {
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        LayoutBuilder::describe(portButton(n), SerialDevices::describePort(n));
}
