#include "portselection.h"

#include "link/portnames.h"
#include "link/protocol.h"
#include "link/serialdevices.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/messages.h"
#include "shell/pagehost.h"
#include "step1.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
const QString kStartSpeed = QStringLiteral("9600");

// A number as the information box writes it: with the blank a positive number's sign leaves.
QString signedNumber(int value) {
    return QLatin1Char(' ') + QString::number(value);
}
} // namespace

PortSelection::PortSelection(PageHost& wizard)
    : Page(wizard, Layout::portSelection(), Lifetime::WholeRun), WebBrowser(control<HelpPane>("WebBrowser")),
      DetectedPrinter(control<QLabel>("DetectedPrinter")), serialspeed(control<QComboBox>("serialspeed")),
      serialhandshakeconf(control<QComboBox>("serialhandshakeconf")),
      DetectSerialPrinter(control<QPushButton>("DetectSerialPrinter")), Back(control<QPushButton>("Back")),
      Next(control<QPushButton>("Next")), Exit(control<QPushButton>("Exit")), m_detector(wizard.link()) {
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        m_portButtons[std::size_t(n - 1)] = control<QRadioButton>(PortNames::portName(n));
    connect(DetectSerialPrinter, &QPushButton::clicked, this, &PortSelection::DetectSerialPrinter_Click);
    connect(Back, &QPushButton::clicked, this, &PortSelection::Back_Click);
    connect(Next, &QPushButton::clicked, this, &PortSelection::Next_Click);
    connect(Exit, &QPushButton::clicked, this, &PortSelection::Exit_Click);
    connect(&m_detector, &Printer::Detector::progress, this, &PortSelection::setDetectedPrinter);
    connect(&m_detector, &Printer::Detector::answeredAt, this, [this](qint16 port, const QString& speed) {
        serialspeed->setCurrentIndex(int(Protocol::speeds().indexOf(speed)));
        portButton(port)->setChecked(true);
    });
    connect(&m_detector, &Printer::Detector::flowControlLearnt, this, [this](qint16 handshake) {
        serialhandshakeconf->setCurrentIndex(handshake == Printer::Detector::kXonXoff ? XonXoffEntry
                                                                                      : HardwareEntry);
    });
    // The box is modal while the port is still open.
    m_detector.setAnnounce(
        [this](const Printer::Detector::Found& found) { ReportPrinterFound(found.identification); });
}

Link& PortSelection::link() const {
    return wizard().link();
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
    serialhandshakeconf->addItems({tr("Xon-Xoff"), tr("DSR/DTR Mode")});
    serialspeed->setCurrentIndex(int(Protocol::speeds().indexOf(kStartSpeed)));
    serialhandshakeconf->setCurrentIndex(HardwareEntry);
    setDetectedPrinter(tr("No printer found yet, please start detection."));
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
    Step1* step1 = wizard().loaded<Step1>();
    if (step1 && step1->isVisible()) step1->ScanStatus->setText(DetectedPrinter->text());
}

void PortSelection::DetectSerialPrinter_Click() {
    qint16 chosen = 0;
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        if (portButton(n)->isChecked()) chosen = qint16(n);
    if (chosen == 0) {
        Messages::show(this, tr("You must select a serial port"), QMessageBox::Critical);
        return;
    }
    // The port may have gone since the page was loaded (a USB adapter pulled).
    if (!link().PortExists(chosen)) {
        Messages::show(this, tr("This port does not exist"), QMessageBox::Critical);
        return;
    }
    SetBusy(true);
    m_work = Work::Probing;
    const Printer::Detector::Detection probe =
        ProbePrinter(chosen, serialspeed->currentText(), qint16(serialhandshakeconf->currentIndex()));
    if (wizard().isEnding()) return;
    m_work = Work::Idle;
    if (probe.outcome != Printer::Outcome::Cancelled) {
        if (!probe.problem.isEmpty()) Messages::portProblem(this, probe.problem);
        setDetectedPrinter(probe.status);
    }
    describePorts(); // the probe resolved the port afresh: an adapter may be back under a new name
    SetBusy(false);
}

Printer::Detector::Detection PortSelection::ProbePrinter(qint16 port, const QString& speed,
                                                         qint16 handshakeIndex) {
    return m_detector.probe(port, speed, qint16(handshakeIndex + 1));
}

void PortSelection::ReportPrinterFound(const QByteArray& reply) {
    state().PrinterFound = true;
    Next->setEnabled(true);
    const QString text = tr("%1 found on COM%2 at %3 bauds")
                             .arg(Protocol::printerName(reply), signedNumber(state().PrinterPort),
                                  signedNumber(state().PrinterSpeed.toInt()));
    Messages::show(boxParent(), text, QMessageBox::Information);
}

void PortSelection::ClearPrinterFound() {
    state().PrinterFound = false;
}

void PortSelection::Autodetect_Click() {
    SetBusy(true);
    m_work = Work::Searching;
    const Printer::Detector::Detection search = m_detector.search();
    if (search.outcome == Printer::Outcome::FirmwareLoader) return showFirmwareLoader();
    // Stopped: the program is ending, or the page was left towards one that uses the port.
    if (wizard().isEnding()) return;
    if (search.outcome != Printer::Outcome::Cancelled) setDetectedPrinter(search.status);
    m_work = Work::Idle;
    SetBusy(false);
}

void PortSelection::showFirmwareLoader() {
    Messages::show(boxParent(),
                   tr("The previous firmware upgrade has not been completed \r\n"
                      "successfully, or the firmware has been corrupted.\r\n\r\n"
                      "Please, flash the printer firmware."),
                   QMessageBox::Critical);
    wizard().endProgram();
}

void PortSelection::Back_Click() {
    // A search belongs to Step1, which Back returns to and which shows its progress: it goes on. A
    // manual probe (or another page's exchange) is abandoned, so that Step1 can start a search.
    if (m_work == Work::Probing)
        m_detector.stop();
    else if (m_work != Work::Searching)
        link().cancelWaits();
    hide();
    Step1& step1 = wizard().get<Step1>();
    step1.ScanStatus->setText(QString());
    step1.show();
}

void PortSelection::Next_Click() {
    // The next page talks to the printer: nothing of detection may keep the port.
    m_detector.stop();
    hide();
    wizard().get<Step2>().show();
}

void PortSelection::Exit_Click() {
    wizard().endProgram();
}

QWidget* PortSelection::boxParent() {
    Step1* step1 = wizard().loaded<Step1>();
    if (!isVisible() && step1 && step1->isVisible()) return step1;
    return this;
}

// Which device each number stands for now; the options keep their captions.
void PortSelection::describePorts() {
    for (int n = 1; n <= int(m_portButtons.size()); ++n)
        LayoutBuilder::describe(portButton(n), SerialDevices::describePort(n));
}
