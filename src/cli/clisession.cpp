#include "clisession.h"

#include "link/portnames.h"
#include "printer/detector.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cstdio>

namespace Cli {

void printError(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

void printOut(const QString& text) {
    std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString flowName(qint16 handshake) {
    return handshake == Printer::Detector::kXonXoff ? QStringLiteral("xon-xoff") : QStringLiteral("hardware");
}

Session::Session() : m_link(m_state, m_comm, m_timer1) {
    m_state.EscChar = QByteArray(1, Protocol::kEsc);
    m_state.GsChar = QByteArray(1, Protocol::kGs);
    m_state.CanChar = QByteArray(1, Protocol::kCan);
}

// The port is let go as in the wizard: a port closed a moment ago is still held, and the line keeps the
// settings of the last command written until the hold runs out. Dropping it with the process would put
// the resting settings back under that command's bytes.
Session::~Session() {
    m_comm.shortenHold();
    QDeadlineTimer deadline(1000);
    while (m_comm.isHeld() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void Session::interrupt() {
    m_interrupted = true;
    // As the wizard ends: every wait cancelled, the port closed. The command's own tidying (the printer's
    // speed) opens it again without waiting.
    m_link.shutDown();
    m_link.ClosePrinterPort();
    m_comm.close();
    if (m_onInterrupt) m_onInterrupt();
}

int Session::connect(const LinkChoice& choice) {
    if (choice.given()) {
        m_state.PrinterPort = choice.port;
        m_state.PrinterSpeed = choice.speed;
        m_state.PrinterHandshake = choice.handshake;
        m_state.PrinterFound = true;
        return kDone;
    }
    Printer::Detector detector(m_link);
    QObject::connect(&detector, &Printer::Detector::progress, &printError);
    const Printer::Detector::Detection found = detector.search();
    if (found.outcome == Printer::Outcome::Done) {
        printError(found.status);
        return kDone;
    }
    return fail(found, found.status);
}

int Session::requireDevice(qint16 port) {
    m_namedPort = port;
    if (m_link.PortExists(port)) return kDone;
    m_comm.setCommPort(port);
    m_comm.setSettings(QStringLiteral("9600,N,8,1"));
    const MSComm::OpenResult opened = m_comm.open();
    if (opened) {
        m_comm.close();
        return kDone;
    }
    return fail({Printer::Outcome::PortProblem, m_link.portFailureText(opened.reason)});
}

int Session::fail(const Printer::Status& status, const QString& silentText) {
    if (m_interrupted) return kInterrupted;
    switch (status.outcome) {
    case Printer::Outcome::Done:
        return kDone;
    case Printer::Outcome::PortProblem: {
        printError(status.problem);
        // A port that is not the system's COMn of its own number: which device it was, unless the
        // command line named it and that was said at the start.
        const int port = m_comm.commPort();
        const QString device = PortNames::devicePath(port);
        if (port != m_namedPort && !device.isEmpty() && device != PortNames::portName(port))
            printError(QStringLiteral("%1 is %2.").arg(PortNames::portName(port), device));
        return kPortUnusable;
    }
    case Printer::Outcome::FirmwareLoader:
        printError(firmwareLoaderText());
        return kFirmwareLoader;
    case Printer::Outcome::Refused:
        return kRefused;
    case Printer::Outcome::NoAnswer:
    case Printer::Outcome::Cancelled:
        printError(silentText.isEmpty() ? QStringLiteral("The printer does not answer at %1 bauds.")
                                                  .arg(m_state.PrinterSpeed)
                                        : silentText);
        return kNoPrinter;
    }
    return kNoPrinter;
}

QString firmwareLoaderText() {
    return QStringLiteral(
        "The previous firmware upgrade has not been completed successfully, or the firmware "
        "has been corrupted. Please, flash the printer firmware.");
}

qint16 portNumberFor(const QString& device, bool* lent) {
    qint16 port = qint16(PortNames::portOf(device));
    if (lent) *lent = port == 0;
    if (port != 0) return port;
    port = PortNames::kLastPort;
    for (qint16 n = PortNames::kLastPort; n >= PortNames::kFirstPort; --n)
        if (!PortNames::portExists(n)) port = n;
    PortNames::assign(port, device);
    return port;
}

} // namespace Cli
