#include "step2.h"

#include "calibration/step3.h"
#include "chanreflectmodefrm.h"
#include "detection/step1.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "printer/sensorsetup.h"
#include "shell/helppane.h"
#include "shell/messages.h"
#include "shell/pagehost.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
const char* const kExtensionAbsentText =
    QT_TRANSLATE_NOOP("Step2", "The Near End Of Paper extension has not been detected !\r\n"
                               "Can not calibrate or monitor the Near End Of Paper "
                               "opto-sensor.");
const char* const kIncompleteSelectionText =
    QT_TRANSLATE_NOOP("Step2", "Please, select an opto sensor and an action to perform");
} // namespace

Step2::Step2(PageHost& wizard)
    : Page(wizard, Layout::step2(), Lifetime::WholeRun), WebBrowser(control<HelpPane>("WebBrowser")),
      Frame1(control<QGroupBox>("Frame1")), PrinterOpto(control<QRadioButton>("PrinterOpto")),
      NEOPOpto(control<QRadioButton>("NEOPOpto")), Frame2(control<QGroupBox>("Frame2")),
      Monitor(control<QRadioButton>("Monitor")), Calibrate(control<QRadioButton>("Calibrate")),
      Exit(control<QPushButton>("Exit")), Back(control<QPushButton>("Back")),
      Next(control<QPushButton>("Next")), HelpButton(control<QPushButton>("HelpButton")) {
    // A sensor selected from code counts as a click on it, as the reset relies on.
    connect(PrinterOpto, &QRadioButton::toggled, this, [this](bool on) {
        if (on) PrinterOpto_Click();
    });
    connect(NEOPOpto, &QRadioButton::toggled, this, [this](bool on) {
        if (on) NEOPOpto_Click();
    });
    connect(Next, &QPushButton::clicked, this, &Step2::Next_Click);
    connect(Back, &QPushButton::clicked, this, &Step2::Back_Click);
    connect(Exit, &QPushButton::clicked, this, &Step2::Exit_Click);
    connect(HelpButton, &QPushButton::clicked, this, &Step2::HelpButton_Click);
}

void Step2::Form_Load() {
    Next->setEnabled(selectionComplete());
    openHelp(QStringLiteral("Step2.html"));
    Monitor->setChecked(true);
    PrinterOpto->setChecked(true);
}

void Step2::Form_Unload() {
    wizard().endProgram();
}

void Step2::PrinterOpto_Click() {
    Next->setEnabled(true);
}
void Step2::NEOPOpto_Click() {
    Next->setEnabled(true);
}

void Step2::Next_Click() {
    // A second click while the printer is still asked about its extension would send the question again
    // and wait inside the first wait.
    if (m_checkingExtension) return;
    // The extension is asked about first, whatever the action: without it neither is possible.
    if (NEOPOpto->isChecked()) {
        const Extension extension = checkExtension();
        if (extension == Extension::Unknown) return;
        if (extension == Extension::Absent) {
            Messages::show(this, tr(kExtensionAbsentText), QMessageBox::Warning);
            return;
        }
    }
    if (!selectionComplete()) {
        Messages::show(this, tr(kIncompleteSelectionText), QMessageBox::Warning);
        return;
    }
    hide();
    route();
}

// The port is closed again before anything is shown to the user.
Step2::Extension Step2::checkExtension() {
    m_checkingExtension = true;
    Next->setEnabled(false);
    const Printer::Result<bool> fitted = Printer::SensorSetup::extensionFitted(wizard().link());
    // Cancelled: Back has already put the page right, or the program is ending.
    if (fitted.outcome == Printer::Outcome::Cancelled) return Extension::Unknown;
    endExtensionCheck();
    if (!fitted.ok()) {
        if (!wizard().isEnding()) Messages::portProblem(this, fitted.problem);
        return Extension::Unknown;
    }
    return fitted.value ? Extension::Fitted : Extension::Absent;
}

void Step2::endExtensionCheck() {
    m_checkingExtension = false;
    Next->setEnabled(true);
}

bool Step2::selectionComplete() const {
    return (PrinterOpto->isChecked() || NEOPOpto->isChecked()) &&
           (Monitor->isChecked() || Calibrate->isChecked());
}

void Step2::route() {
    if (Monitor->isChecked()) {
        wizard().get<MonitorFrm>().show();
    } else if (PrinterOpto->isChecked()) {
        ChanReflectModeFrm& modePage = wizard().get<ChanReflectModeFrm>();
        modePage.show();
        modePage.Init();
    } else {
        wizard().get<Step3>().show();
    }
}

void Step2::Back_Click() {
    if (m_checkingExtension) {
        wizard().link().cancelWaits();
        endExtensionCheck();
    }
    wizard().link().ClosePrinterPort();
    hide();
    Step1& step1 = wizard().get<Step1>();
    step1.ScanStatus->setText(QString());
    step1.show();
}

void Step2::Exit_Click() {
    wizard().endProgram();
}

void Step2::HelpButton_Click() {
    wizard().openHelpWindow();
}
