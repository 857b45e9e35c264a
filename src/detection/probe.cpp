// The probe on one port at one speed: identification, then the flow control the printer runs with.
#include "portselection.h"

#include "link/protocol.h"
#include "shell/messages.h"
#include "shell/wizard.h"

#include <QComboBox>
#include <QPushButton>
#include <QScopeGuard>

namespace {
constexpr qint16 kIdentificationMs = 250; // the printer sends its whole name well within this
constexpr qint16 kShortReplyMs = 100;

// A number as the information box writes it: with the blank a positive number's sign leaves.
QString signedNumber(int value) {
    return QLatin1Char(' ') + QString::number(value);
}
} // namespace

PortSelection::ProbeResult PortSelection::ProbePrinter(qint16 port, const QString& speed,
                                                       qint16 handshakeIndex) {
    const Protocol::Commands commands = link().commands();
    const QString where = QStringLiteral(" on COM ") + portDigit(port) + QStringLiteral(" at ") + speed +
                          QStringLiteral(" bauds");
    ProbeResult result{QStringLiteral("No printer found") + where, {}, false};
    const auto abandon = [&] {
        giveUpPort();
        result.abandoned = true;
        return result;
    };

    const MSComm::OpenResult opened = openAt(port, speed, handshakeIndex + 1);
    if (!opened) {
        result.portProblem = link().portFailureText(opened.reason);
        ClearPrinterFound();
        return result;
    }
    comm().setInputLen(kReadLength);
    // A device that vanishes during the probe is told once, by the caller that can tell it.
    const QMetaObject::Connection lostWatch =
        connect(&link(), &Link::portLost, this, [&result](const QString& message) {
            if (result.portProblem.isEmpty()) result.portProblem = message;
        });
    const auto unwatch = qScopeGuard([lostWatch] { disconnect(lostWatch); });

    comm().output(commands.identification());
    if (stopped(link().Delay(kIdentificationMs))) return abandon();
    const QByteArray reply = comm().input();
    if (reply.isEmpty()) {
        ClearPrinterFound();
        comm().close();
        return result;
    }
    result.status = Protocol::printerName(reply) + QStringLiteral(" found") + where;
    state().PrinterFound = true;
    comm().discardInput();

    // The paper status only clears the line; a reply of another length stays in the buffer.
    comm().output(commands.paperStatus());
    if (stopped(link().Delay(kShortReplyMs))) return abandon();
    comm().setInputMode(MSComm::InputMode::Binary);
    if (comm().inBufferCount() == 1) comm().input();

    // The configuration byte says which flow control the printer itself runs with; the CAN ends the
    // query, and whatever is waiting at that moment is all the printer had to say.
    comm().output(commands.configurationQuery());
    if (stopped(link().Delay(kShortReplyMs))) return abandon();
    comm().output(commands.cancel());
    bool xonXoff = false;
    if (comm().inBufferCount() > 0)
        xonXoff = Protocol::configurationMeansXonXoff(quint8(comm().input().at(0)), speed);
    serialhandshakeconf->setCurrentIndex(xonXoff ? XonXoffEntry : HardwareEntry);
    state().PrinterHandshake = xonXoff ? 1 : 2;
    comm().setInputMode(MSComm::InputMode::Text);

    state().PrinterPort = port;
    state().PrinterSpeed = speed;
    // The box is modal while the port is still open; the program may end while it is up.
    ReportPrinterFound(reply);
    if (wizard().isEnding()) {
        result.abandoned = true;
        return result;
    }
    comm().close();
    return result;
}

void PortSelection::ReportPrinterFound(const QByteArray& reply) {
    state().PrinterFound = true;
    Next->setEnabled(true);
    const QString text = Protocol::printerName(reply) + QStringLiteral(" found on COM") +
                         signedNumber(state().PrinterPort) + QStringLiteral(" at ") +
                         signedNumber(state().PrinterSpeed.toInt()) + QStringLiteral(" bauds");
    Messages::show(boxParent(), text, QMessageBox::Information);
}

void PortSelection::ClearPrinterFound() {
    state().PrinterFound = false;
}
