#include "chanreflectmodefrm.h"

#include "calibration/step3.h"
#include "link/link.h"
#include "printerexchange.h"
#include "shell/helppane.h"
#include "shell/wizard.h"
#include "step2.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

ChanReflectModeFrm::ChanReflectModeFrm(Wizard& wizard)
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
    PrinterExchange exchange(*this);
    if (!exchange.open()) return;
    m_reading = true;
    updateNext();
    const bool sent = exchange.send(wizard().link().commands().optoParameterQuery());
    const std::optional<QByteArray> block =
        sent ? exchange.readBlock(Protocol::kParameterBlockSize) : std::nullopt;
    // Cancelled: Back has already put the page right, or the program is ending.
    if (sent && !block && !exchange.lost()) return;
    m_reading = false;
    if (block) {
        exchange.close();
        // Only the opto type is used here. Selecting the option counts as a click on it, so a type
        // other than 0 and 1 is written back as transmissive, the mode the page shows.
        SensorMode = Protocol::optoParameters(*block).optoType;
        if (SensorMode == Protocol::kReflective)
            Reflect_Click();
        else
            Transmit_Click();
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

// Both commands go out even when the mode was not changed: the printer stores what it is told.
void ChanReflectModeFrm::Next_Click() {
    if (m_reading || !m_modeKnown) return;
    const Protocol::Commands commands = wizard().link().commands();
    PrinterExchange exchange(*this);
    if (!exchange.open() || !exchange.send(commands.setSensorMode(SensorMode)) ||
        !exchange.send(commands.modeStore()))
        return;
    exchange.close();
    hide();
    wizard().step3().show();
}

void ChanReflectModeFrm::Back_Click() {
    // A reading in progress is abandoned; the printer keeps its mode and the next visit reads it again.
    if (m_reading) {
        wizard().link().cancelWaits();
        m_reading = false;
    }
    wizard().link().ClosePrinterPort();
    hide();
    wizard().step2().show();
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
