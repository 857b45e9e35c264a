#include "step3.h"

#include "link/link.h"
#include "sensor/printerexchange.h"
#include "sensor/step2.h"
#include "shell/helppane.h"
#include "shell/messages.h"
#include "shell/wizard.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {
constexpr quint8 kNoPaperBit = 0x04; // paper status: set when the sensor sees no paper
const QString kPaperWarningText =
    QStringLiteral("It seems that the paper is not removed from the printer.\r\n"
                   "Please, remove it.\r\n"
                   "\r\n"
                   "Note: If the opto-sensor is not well calibrated, the paper "
                   "detection\r\n"
                   "may not be correct. In that case, click on cancel.");
} // namespace

Step3::Step3(Wizard& wizard)
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
    wizard().step2().show();
}

void Step3::Calibrate_Click() {
    QPointer<Step3> self(this);
    Calibrate->setEnabled(false);
    QCoreApplication::processEvents();
    if (!self || isUnloaded() || wizard().isEnding()) return;
    Back->setEnabled(false);
    Exit->setEnabled(false);

    PrinterExchange exchange(*this);
    if (!exchange.open()) return backToReady();
    const Protocol::Commands commands = wizard().link().commands();
    QByteArray calibration;
    if (nearEndSelected()) {
        openHelp(QStringLiteral("Step3NEOPCal.html"));
        calibration = commands.calibrateNearEndOpto();
    } else {
        switch (checkPaper(exchange)) {
        case Paper::Cancelled:
            return;
        case Paper::Failed:
            return backToReady();
        case Paper::Present:
            // The technician removes the paper and tries again on the port still open.
            Calibrate->setEnabled(true);
            Back->setEnabled(true);
            Exit->setEnabled(true);
            return;
        case Paper::Clear:
            break;
        }
        openHelp(QStringLiteral("Step3PrinterCal.html"));
        calibration = commands.calibratePrinterOpto();
    }
    if (!exchange.send(calibration)) return backToReady();
    // The printer sends one byte when it has finished; its value says nothing.
    if (!waitWithPatience(exchange)) {
        if (self && exchange.lost()) backToReady();
        return;
    }
    exchange.close();
    openHelp(QStringLiteral("Congratulation.html"));
    Back->setEnabled(true);
    Exit->setEnabled(true);
}

Step3::Paper Step3::checkPaper(PrinterExchange& exchange) {
    if (!exchange.send(wizard().link().commands().paperStatus())) return Paper::Failed;
    QPointer<Step3> self(this);
    const std::optional<quint8> status = waitWithPatience(exchange);
    if (!status) return self && exchange.lost() ? Paper::Failed : Paper::Cancelled;
    if (*status & kNoPaperBit) return Paper::Clear;
    // Cancel means: the sensor is not to be trusted yet, calibrate anyway.
    const QMessageBox::StandardButton answer =
        Messages::show(this, kPaperWarningText, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel,
                       QMessageBox::Ok);
    if (!self || isUnloaded() || wizard().isEnding()) return Paper::Cancelled;
    return answer == QMessageBox::Ok ? Paper::Present : Paper::Clear;
}

std::optional<quint8> Step3::waitWithPatience(PrinterExchange& exchange) {
    QTimer patience;
    patience.setSingleShot(true);
    connect(&patience, &QTimer::timeout, this, [this] {
        Back->setEnabled(true);
        Exit->setEnabled(true);
    });
    patience.start(m_patienceMs);
    return exchange.readByte();
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
    return wizard().step2().NEOPOpto->isChecked();
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
