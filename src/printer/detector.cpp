#include "detector.h"

#include "link/link.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QStringList>

namespace Printer {

namespace {
constexpr int kReadLength = 100;        // the longest read detection takes at once
constexpr qint16 kWakeUpPauseMs = 1000; // a printer woken by the NUL needs this long before it listens
constexpr qint16 kStatusReplyMs = 100;
constexpr qint16 kIdentificationMs = 250; // the printer sends its whole name well within this
constexpr qint16 kShortReplyMs = 100;
// The wake-up and the loader check run here, without flow control: the firmware loader listens at no other.
const QString kLoaderSpeed = QStringLiteral("57600");
constexpr int kNoHandshake = 0;

// Fastest first: a printer that answers at several speeds is found at the highest.
const QStringList& scanSpeeds() {
    static const QStringList speeds{"115200", "57600", "38400", "28800", "19200",
                                    "9600",   "4800",  "2400",  "1200"};
    return speeds;
}
} // namespace

QString portDigit(qint16 port) {
    return QString(QChar(48 + port));
}

Detector::Detector(Link& link, QObject* parent) : QObject(parent), m_link(link) {}

MSComm& Detector::comm() const {
    return m_link.comm();
}
SharedState& Detector::state() const {
    return m_link.state();
}

bool Detector::stopRequested() const {
    return m_stopRequested || m_link.isShutDown();
}

void Detector::stop() {
    if (m_running) m_stopRequested = true;
    m_link.cancelWaits();
}

// False when the search or probe must stop.
bool Detector::delay(qint16 ms) {
    return !stopped(m_link.Delay(ms) == WaitResult::Cancelled);
}

bool Detector::openAt(qint16 port, const QString& speed, int handshaking, QString* reason) {
    // Detection expects the port closed; one left open by a page is taken back first.
    m_link.ClosePrinterPort();
    comm().close();
    comm().setCommPort(port);
    comm().setSettings(Protocol::settingsText(speed));
    comm().setHandshaking(handshaking);
    comm().setInputMode(MSComm::InputMode::Text);
    const MSComm::OpenResult opened = comm().open();
    if (!opened) {
        if (reason) *reason = opened.reason;
        return false;
    }
    comm().discardInput();
    comm().setInputLen(kReadLength);
    return true;
}

void Detector::giveUpPort() {
    // When the program ends, its end routine has closed the port already and nothing is left to tidy.
    if (m_link.isShutDown()) return;
    comm().close();
    state().PrinterFound = false;
}

Detector::Detection Detector::search() {
    m_running = true;
    m_stopRequested = false;
    const auto done = qScopeGuard([this] { m_running = false; });
    Detection result;
    const auto giveUp = [&] {
        giveUpPort();
        result.outcome = Outcome::Cancelled;
        return result;
    };
    state().PrinterFound = false;
    emit progress(tr("Trying to wake-up the printer"));
    if (!wakeUpPorts() || !delay(kWakeUpPauseMs)) return giveUp();

    const Outcome loader = checkFirmwareLoader();
    if (loader == Outcome::FirmwareLoader) {
        result.outcome = loader;
        return result;
    }
    if (loader == Outcome::Cancelled) return giveUp();

    // Once a printer is found the remaining ports are only looked up; nothing is sent to them.
    for (const qint16 n : searchedPorts()) {
        if (!m_link.PortExists(n)) continue;
        for (const QString& speed : scanSpeeds()) {
            if (state().PrinterFound) break;
            if (stopRequested()) return giveUp();
            emit progress(
                tr("Attempting to contact printer on COM %1 at %2 bauds.").arg(portDigit(n), speed));
            const Presence presence = testPresence(n, speed);
            if (presence == Presence::Stopped) return giveUp();
            if (presence == Presence::Answered) {
                state().PrinterFound = true;
                result.printer.port = n;
                result.printer.speed = speed;
                emit answeredAt(n, speed);
            }
        }
    }
    if (!state().PrinterFound) {
        result.outcome = Outcome::NoAnswer;
        result.status = tr("No printer found");
        return result;
    }
    result = probeOnce(result.printer.port, result.printer.speed, kHardware);
    if (result.outcome == Outcome::Cancelled || stopRequested()) return giveUp();
    return result;
}

QList<qint16> Detector::searchedPorts() const {
    if (m_onlyPort != 0) return {m_onlyPort};
    QList<qint16> all;
    for (qint16 n = kFirstPort; n <= kLastPort; ++n)
        all << n;
    return all;
}

bool Detector::wakeUpPorts() {
    for (const qint16 n : searchedPorts()) {
        // Closing a port lets timers run, and with them whatever ends the program or leaves the page.
        if (stopRequested()) return false;
        // A port that cannot be opened (held by another program) is left alone.
        if (!m_link.PortExists(n) || !openAt(n, kLoaderSpeed, kNoHandshake)) continue;
        comm().output(m_link.commands().wakeUp());
        comm().close();
    }
    return true;
}

Outcome Detector::checkFirmwareLoader() {
    for (const qint16 n : searchedPorts()) {
        if (stopRequested()) return Outcome::Cancelled;
        if (!m_link.PortExists(n)) continue;
        emit progress(tr("Attempting to contact printer in BIOS mode on COM%1").arg(portDigit(n)));
        QCoreApplication::processEvents(); // so that the text shows before the port is tried
        if (stopRequested()) return Outcome::Cancelled;
        if (!openAt(n, kLoaderSpeed, kNoHandshake)) continue;
        comm().output(m_link.commands().cancel());
        const InputWait wait = m_link.WaitForInput();
        if (wait == InputWait::Cancelled || stopRequested()) return Outcome::Cancelled;
        // The loader echoes a lone CAN; anything more is a printer saying something else.
        if (wait == InputWait::Arrived && comm().input() == m_link.commands().cancel()) {
            state().PrinterFound = true;
            comm().close();
            return Outcome::FirmwareLoader;
        }
        comm().close();
    }
    return Outcome::NoAnswer;
}

Detector::Presence Detector::testPresence(qint16 port, const QString& speed) {
    // A port that cannot be opened at this speed is no answer at this speed.
    if (!openAt(port, speed, kNoHandshake)) return Presence::NoAnswer;
    const Protocol::Commands commands = m_link.commands();
    // One byte to the paper status, twice, with a CAN and an emptied buffer between: a line that
    // happens to deliver one stray byte is not taken for a printer.
    comm().output(commands.paperStatus());
    if (!delay(kStatusReplyMs)) return Presence::Stopped;
    if (comm().inBufferCount() == 1) {
        comm().output(commands.cancel());
        comm().discardInput();
        if (!delay(kStatusReplyMs)) return Presence::Stopped;
        comm().output(commands.paperStatus());
        if (!delay(kStatusReplyMs)) return Presence::Stopped;
        if (comm().inBufferCount() == 1) {
            comm().input();
            comm().close();
            return Presence::Answered;
        }
    }
    comm().close();
    return Presence::NoAnswer;
}

Detector::Detection Detector::probe(qint16 port, const QString& speed, qint16 handshake) {
    m_running = true;
    m_stopRequested = false;
    const auto done = qScopeGuard([this] { m_running = false; });
    state().PrinterFound = false;
    return probeOnce(port, speed, handshake);
}

Detector::Detection Detector::probeOnce(qint16 port, const QString& speed, qint16 handshake) {
    const Protocol::Commands commands = m_link.commands();
    Detection result;
    result.outcome = Outcome::NoAnswer;
    result.status = tr("No printer found on COM %1 at %2 bauds").arg(portDigit(port), speed);
    const auto abandon = [&] {
        giveUpPort();
        result.outcome = Outcome::Cancelled;
        return result;
    };

    QString reason;
    if (!openAt(port, speed, handshake, &reason)) {
        result.outcome = Outcome::PortProblem;
        result.problem = m_link.portFailureText(reason);
        state().PrinterFound = false;
        return result;
    }
    // A device that vanishes during the probe is told once, by the caller that can tell it.
    const QMetaObject::Connection lostWatch =
        connect(&m_link, &Link::portLost, this, [&result](const QString& message) {
            if (result.problem.isEmpty()) result.problem = message;
        });
    const auto unwatch = qScopeGuard([lostWatch] { disconnect(lostWatch); });

    comm().output(commands.identification());
    if (!delay(kIdentificationMs)) return abandon();
    const QByteArray reply = comm().input();
    // A loopback plug, or a modem with its echo on, sends the request straight back: a reply that is
    // exactly the bytes sent is no printer's name.
    if (reply.isEmpty() || reply == commands.identification()) {
        state().PrinterFound = false;
        comm().close();
        if (!result.problem.isEmpty()) result.outcome = Outcome::PortProblem;
        return result;
    }
    result.status =
        tr("%1 found on COM %2 at %3 bauds").arg(Protocol::printerName(reply), portDigit(port), speed);
    state().PrinterFound = true;
    comm().discardInput();

    // The paper status only clears the line; a reply of another length stays in the buffer.
    comm().output(commands.paperStatus());
    if (!delay(kShortReplyMs)) return abandon();
    comm().setInputMode(MSComm::InputMode::Binary);
    if (comm().inBufferCount() == 1) comm().input();

    // The configuration byte says which flow control the printer itself runs with; the CAN ends the
    // query, and whatever is waiting at that moment is all the printer had to say.
    comm().output(commands.configurationQuery());
    if (!delay(kShortReplyMs)) return abandon();
    comm().output(commands.cancel());
    bool xonXoff = false;
    if (comm().inBufferCount() > 0)
        xonXoff = Protocol::configurationMeansXonXoff(quint8(comm().input().at(0)), speed);
    const qint16 learnt = xonXoff ? kXonXoff : kHardware;
    emit flowControlLearnt(learnt);
    state().PrinterHandshake = learnt;
    comm().setInputMode(MSComm::InputMode::Text);

    state().PrinterPort = port;
    state().PrinterSpeed = speed;
    state().printerName = Protocol::printerName(reply);
    state().owedSwitch.reset(); // the printer was just heard at these settings
    result.printer = {reply, Protocol::printerName(reply), port, speed, learnt};
    result.outcome = Outcome::Done;
    // The announcement may wait (a message box) while the port is still open; the program may end then.
    if (m_announce) m_announce(result.printer);
    if (m_link.isShutDown()) {
        result.outcome = Outcome::Cancelled;
        return result;
    }
    comm().close();
    return result;
}

} // namespace Printer
