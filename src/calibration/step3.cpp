#include "step3.h"

#include "link/link.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/messages.h"
#include "shell/pagehost.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace {
const char* const kPaperWarningText =
    QT_TRANSLATE_NOOP("Step3", "It seems that the paper is not removed from the printer.\r\n"
                               "Please, remove it.\r\n"
                               "\r\n"
                               "Note: If the opto-sensor is not well calibrated, the paper "
                               "detection\r\n"
                               "may not be correct. In that case, click on cancel.");
} // namespace

Step3::Step3(PageHost& wizard)
    : Page(wizard, Layout::step3(), Lifetime::UnloadedWhenLeft), WebBrowser(control<HelpPane>("WebBrowser")),
      Exit(control<QPushButton>("Exit")), Back(control<QPushButton>("Back")),
      Calibrate(control<QPushButton>("Calibrate")) {
    connect(Calibrate, &QPushButton::clicked, this, &Step3::Calibrate_Click);
    connect(Back, &QPushButton::clicked, this, &Step3::Back_Click);
    connect(Exit, &QPushButton::clicked, this, &Step3::Exit_Click);
}

void Step3::Form_Load() {
    openHelp(readyHelp());
}

// Runs for Back and for the close box. A wait in progress ends here, and the port is closed: the next
// page opens it with its own settings and expects to find it closed.
void Step3::Form_Unload() {
    wizard().link().cancelWaits();
    wizard().link().ClosePrinterPort();
    wizard().get<Step2>().show();
}

void Step3::Calibrate_Click() {
    QPointer<Step3> self(this);
    Calibrate->setEnabled(false);
    QCoreApplication::processEvents();
    if (!self || isUnloaded() || wizard().isEnding()) return;
    Back->setEnabled(false);
    Exit->setEnabled(false);

    const bool nearEnd = nearEndSelected();
    Printer::Calibration calibration(wizard().link(),
                                     nearEnd ? Printer::Sensor::NearEnd : Printer::Sensor::PrinterOpto);
    calibration.setSilenceMs(m_patienceMs);
    calibration.setPaperQuestion([this, self] { return askAboutPaper(self); });
    connect(&calibration, &Printer::Calibration::starting, this, [this, nearEnd] {
        openHelp(nearEnd ? QStringLiteral("Step3NEOPCal.html") : QStringLiteral("Step3PrinterCal.html"));
    });
    // A slow calibration is left to take its time, but the technician gets the ways out back.
    connect(&calibration, &Printer::Calibration::printerSilent, this, [this] {
        Back->setEnabled(true);
        Exit->setEnabled(true);
    });
    const Printer::Status end = calibration.run();
    if (!self) return;
    switch (end.outcome) {
    case Printer::Outcome::Done:
        openHelp(QStringLiteral("Congratulation.html"));
        Back->setEnabled(true);
        Exit->setEnabled(true);
        return;
    case Printer::Outcome::Refused:
        // The technician removes the paper and tries again on the port still open.
        Calibrate->setEnabled(true);
        Back->setEnabled(true);
        Exit->setEnabled(true);
        return;
    case Printer::Outcome::PortProblem:
        if (!wizard().isEnding()) Messages::portProblem(this, end.problem);
        return backToReady();
    default:
        return;
    }
}

// Cancel means: the sensor is not to be trusted yet, calibrate anyway.
Printer::Calibration::PaperDecision Step3::askAboutPaper(const QPointer<Step3>& self) {
    const QMessageBox::StandardButton answer =
        Messages::show(this, tr(kPaperWarningText), QMessageBox::Warning,
                       QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (!self || isUnloaded() || wizard().isEnding()) return Printer::Calibration::PaperDecision::Abandon;
    return answer == QMessageBox::Ok ? Printer::Calibration::PaperDecision::Stop
                                     : Printer::Calibration::PaperDecision::CalibrateAnyway;
}

void Step3::Back_Click() {
    wizard().link().cancelWaits();
    wizard().link().ClosePrinterPort();
    wizard().unload(this);
}

void Step3::Exit_Click() {
    wizard().endProgram();
}

bool Step3::nearEndSelected() const {
    return wizard().get<Step2>().NEOPOpto->isChecked();
}

QString Step3::readyHelp() const {
    return nearEndSelected() ? QStringLiteral("Step3NEOP.html") : QStringLiteral("Step3Printer.html");
}

// The exchange failed and has told the technician why; the calibration can be tried again.
void Step3::backToReady() {
    openHelp(readyHelp());
    Calibrate->setEnabled(true);
    Back->setEnabled(true);
    Exit->setEnabled(true);
}
