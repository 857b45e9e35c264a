#include "chanreflectmodefrm.h"

#include "calibration/step3.h"
#include "link/link.h"
#include "printer/sensorsetup.h"
#include "shell/messages.h"
#include "shell/helppane.h"
#include "shell/pagehost.h"
#include "step2.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

ChanReflectModeFrm::ChanReflectModeFrm(PageHost& wizard)
    : Page(wizard, Layout::chanReflectModeFrm(), Lifetime::WholeRun),
      WebBrowser(control<HelpPane>("WebBrowser")), Frame1(control<QGroupBox>("Frame1")),
      Picture1(control<QLabel>("Picture1")), Reflect(control<QRadioButton>("Reflect")),
      Frame2(control<QGroupBox>("Frame2")), Picture2(control<QLabel>("Picture2")),
      Transmit(control<QRadioButton>("Transmit")), Exit(control<QPushButton>("Exit")),
      Back(control<QPushButton>("Back")), Next(control<QPushButton>("Next")) {
    // Each option sits alone in its own frame; the layout makes the two one choice. Selecting one by
    // any means (mouse, keys, a screen reader) counts as a click on it.
    LayoutBuilder::onSelected(Reflect, this, [this] { Reflect_Click(); });
    LayoutBuilder::onSelected(Transmit, this, [this] { Transmit_Click(); });
    connect(Next, &QPushButton::clicked, this, &ChanReflectModeFrm::Next_Click);
    connect(Back, &QPushButton::clicked, this, &ChanReflectModeFrm::Back_Click);
    connect(Exit, &QPushButton::clicked, this, &ChanReflectModeFrm::Exit_Click);
}

void ChanReflectModeFrm::Form_Load() {
    openHelp(QStringLiteral("RefMode.html"));
    updateNext();
}

void ChanReflectModeFrm::Form_Unload() {
    wizard().endProgram();
}

void ChanReflectModeFrm::Init() {
    if (m_reading) return;
    // What the technician chose on an earlier visit but did not write is not the printer's mode.
    forgetMode();
    m_reading = true;
    updateNext();
    const Printer::Result<quint8> mode = Printer::SensorSetup::readSensorMode(wizard().link());
    // Cancelled: Back has already put the page right, or the program is ending.
    if (mode.outcome == Printer::Outcome::Cancelled) return;
    m_reading = false;
    if (mode.ok()) {
        // Selecting the option counts as a click on it, so a type other than 0 and 1 is written back as
        // transmissive, the mode the page shows.
        SensorMode = mode.value;
        if (SensorMode == Protocol::kReflective)
            Reflect_Click();
        else
            Transmit_Click();
    } else if (!wizard().isEnding()) {
        Messages::portProblem(this, mode.problem);
    }
    updateNext();
}

void ChanReflectModeFrm::Reflect_Click() {
    SensorMode = Protocol::kReflective;
    m_modeKnown = true;
    ShowSensorMode();
}

void ChanReflectModeFrm::Transmit_Click() {
    SensorMode = Protocol::kTransmissive;
    m_modeKnown = true;
    ShowSensorMode();
}

void ChanReflectModeFrm::ShowSensorMode() {
    Reflect->setChecked(SensorMode == Protocol::kReflective);
    Transmit->setChecked(SensorMode != Protocol::kReflective);
    updateNext();
}

void ChanReflectModeFrm::Next_Click() {
    if (m_reading || !m_modeKnown) return;
    const Printer::Status written = Printer::SensorSetup::writeSensorMode(wizard().link(), SensorMode);
    if (!written.ok()) {
        if (written.outcome == Printer::Outcome::PortProblem && !wizard().isEnding())
            Messages::portProblem(this, written.problem);
        return;
    }
    hide();
    wizard().get<Step3>().show();
}

void ChanReflectModeFrm::Back_Click() {
    // A reading in progress is abandoned; the printer keeps its mode and the next visit reads it again.
    if (m_reading) {
        wizard().link().cancelWaits();
        m_reading = false;
    }
    wizard().link().ClosePrinterPort();
    hide();
    wizard().get<Step2>().show();
}

void ChanReflectModeFrm::Exit_Click() {
    wizard().endProgram();
}

void ChanReflectModeFrm::forgetMode() {
    m_modeKnown = false;
    LayoutBuilder::clearOptions({Reflect, Transmit});
    updateNext();
}

// Next writes the mode: not before the printer has told it (or the technician has chosen one), and not
// while the port is in use for reading it.
void ChanReflectModeFrm::updateNext() {
    Next->setEnabled(m_modeKnown && !m_reading);
}
