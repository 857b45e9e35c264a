#include "sampler.h"

#include "link/link.h"
#include "link/portnames.h"

#include <QPointer>
#include <QTimer>

namespace Printer {

namespace {
const QString kMonitorSpeed = QStringLiteral("57600");
constexpr qint16 kMonitorHandshake = 2;
} // namespace

Sampler::Sampler(Link& link, Sensor sensor, QObject* parent)
    : QObject(parent), m_link(link), m_sensor(sensor) {
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &Sampler::lookForPort);
    // The link has closed the port already; a tick that waited on it returns with nothing. Without
    // reconnecting, the caller decides what a loss ends: the next tick may find the device back.
    connect(&m_link, &Link::portLost, this, [this](const QString& problem) {
        if (!active() || !m_switched) return;
        if (m_reconnect) {
            lose(problem);
        } else if (m_state != State::Waiting) {
            m_silent = false;
            emit lost(problem);
        }
    });
}

QString Sampler::waitingText() const {
    const QString port = PortNames::portName(m_link.state().PrinterPort);
    return m_silent ? tr("Waiting for the printer on %1 to answer...").arg(port)
                    : tr("Waiting for %1 to come back...").arg(port);
}

QString Sampler::silenceText() const {
    return tr("The printer on %1 does not answer at 57600 bauds.")
        .arg(PortNames::portName(m_link.state().PrinterPort));
}

QString Sampler::backText() const {
    return tr("%1 is back: monitoring goes on.").arg(PortNames::portName(m_link.state().PrinterPort));
}

Status Sampler::open() {
    const MSComm::OpenResult opened = m_link.OpenPrinterPort();
    if (!opened) return problem(m_link.portFailureText(opened.reason));
    return {Outcome::Done, {}};
}

Status Sampler::problem(const QString& text) {
    if (m_switched && m_state != State::Waiting)
        lose(text);
    else if (m_state != State::Waiting)
        halt();
    return {Outcome::PortProblem, text};
}

void Sampler::lose(const QString& problem, bool silent) {
    if (!active() || m_state == State::Waiting) return;
    m_silent = silent;
    if (!m_reconnect) {
        halt();
    } else {
        const bool opening = m_state == State::Opening;
        m_state = State::Waiting;
        m_looks = 0;
        if (m_pace) m_pace->stop();
        m_fineTimers.reset();
        // Lost during the opening read-out: the looking starts with the sampling.
        if (!opening || m_pace) m_retry.start();
    }
    emit lost(problem);
}

// The printer switches as soon as it has the command and says nothing, so nothing is awaited.
Status Sampler::switchToMonitorSpeed() {
    SharedState& state = m_link.state();
    const Status switched = switchFrom(state.PrinterSpeed, state.PrinterHandshake);
    if (!switched.ok()) return switched;
    m_savedSpeed = state.PrinterSpeed;
    m_savedHandshake = state.PrinterHandshake;
    state.PrinterSpeed = kMonitorSpeed;
    state.PrinterHandshake = kMonitorHandshake;
    m_switched = true;
    return {Outcome::Done, {}};
}

// GS B 0x86 on the link opened at `speed` and `handshake`; the link settings are left at those.
Status Sampler::switchFrom(const QString& speed, qint16 handshake) {
    SharedState& state = m_link.state();
    state.PrinterSpeed = speed;
    state.PrinterHandshake = handshake;
    const Status opened = open();
    if (!opened.ok()) return opened;
    const bool sent = m_link.SendCommand(m_link.commands().setSpeed(Protocol::kMonitorConfiguration));
    m_link.ClosePrinterPort();
    if (!sent) return problem(m_link.portFailureText(tr("the printer's speed could not be switched")));
    return {Outcome::Done, {}};
}

Result<Sampler::Opening> Sampler::readOpening() {
    Result<Opening> result;
    static_cast<Status&>(result) = open();
    if (!result.ok()) return result;
    const Protocol::Commands commands = m_link.commands();
    bool silent = false;
    const auto failed = [&] {
        result.outcome = silent ? Outcome::NoAnswer : Outcome::Cancelled;
        if (silent) m_link.ClosePrinterPort();
        return result;
    };
    if (m_sensor == Sensor::PrinterOpto) {
        m_link.SendCommand(commands.optoParameterQuery());
        const std::optional<QByteArray> block =
            awaitReply(Protocol::kParameterBlockSize, kOpeningReplyLimitMs, &silent);
        if (!block) return failed();
        result.value.params = Protocol::optoParameters(*block);
        m_paramsRead = true;
        m_link.SendCommand(commands.printerOptoLevel());
    } else {
        m_link.SendCommand(commands.nearEndOptoLevel());
    }
    const std::optional<QByteArray> level = awaitReply(1, kOpeningReplyLimitMs, &silent);
    if (!level) return failed();
    result.value.level = quint8(level->at(0));
    m_link.ClosePrinterPort();
    result.outcome = Outcome::Done;
    return result;
}

// Nothing when the reply did not come: the waits were cancelled, the port failed (the link tells that
// with portLost), or the printer stayed silent (`silent` set).
std::optional<QByteArray> Sampler::awaitReply(int count, int limitMs, bool* silent) {
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &m_link, [this, silent] {
        *silent = true;
        m_link.cancelWaits();
    });
    limit.start(limitMs);
    std::optional<QByteArray> reply = m_link.ReadReplyBlock(count);
    limit.stop();
    return reply;
}

void Sampler::start(QTimer& pace) {
    if (m_state != State::Opening && m_state != State::Waiting) return;
    m_pace = &pace;
    // The time axis takes every tick as 50 ms: a coarse timer would stretch the sweep.
    pace.setTimerType(Qt::PreciseTimer);
    pace.setInterval(kIntervalMs);
    if (m_state == State::Waiting) {
        m_retry.start();
        return;
    }
    m_state = State::Running;
    m_fineTimers = std::make_unique<FineTimers>();
    pace.start();
}

Result<Sampler::Reading> Sampler::readSample() {
    Result<Reading> result;
    if (m_state != State::Running) return result;
    static_cast<Status&>(result) = open();
    if (!result.ok()) return result;
    const Protocol::Commands commands = m_link.commands();
    if (m_sensor == Sensor::NearEnd) {
        const Result<quint8> state = tickReply(commands.nearEndState());
        if (!state.ok()) {
            static_cast<Status&>(result) = state;
            return result;
        }
        result.value.nearEnd = state.value;
        emit nearEndStateRead(state.value);
    }
    const Result<quint8> level =
        tickReply(m_sensor == Sensor::NearEnd ? commands.nearEndOptoLevel() : commands.printerOptoLevel());
    static_cast<Status&>(result) = level;
    if (!level.ok()) return result;
    result.value.value = level.value;
    m_link.ClosePrinterPort();
    return result;
}

// One command and its one-byte reply. Cancelled when the tick must end at once: sampling was stopped
// (the caller perhaps destroyed), halted or lost while it waited.
Result<quint8> Sampler::tickReply(const QByteArray& command) {
    Result<quint8> result;
    const QPointer<Sampler> self(this);
    if (!m_link.SendCommand(command)) {
        m_link.ClosePrinterPort();
        static_cast<Status&>(result) =
            problem(m_link.portFailureText(tr("the printer cannot be written to")));
        return result;
    }
    m_tickWaiting = true;
    bool silent = false;
    const std::optional<QByteArray> reply = awaitReply(1, kTickReplyLimitMs, &silent);
    if (!self) return result;
    m_tickWaiting = false;
    if (m_state != State::Running) return result;
    if (!reply || reply->isEmpty()) {
        m_link.ClosePrinterPort(); // a wait ended by someone else: the next tick starts afresh
        // With its port still there, no loss would ever be seen: the silence is the loss.
        if (silent) {
            result.outcome = Outcome::NoAnswer;
            lose(silenceText(), true);
        }
        return result;
    }
    result.outcome = Outcome::Done;
    result.value = quint8(reply->at(0));
    return result;
}

// One look for the lost port. Its waits let the page's Back and Exit run: after each, a sampler that
// was stopped (or destroyed with its page) goes no further.
void Sampler::lookForPort() {
    if (m_state != State::Waiting || m_looking) return;
    ++m_looks;
    const QPointer<Sampler> self(this);
    m_looking = true;
    quint8 level = 0;
    const Look look = lookAtMonitorSpeed(&level);
    if (!self) return;
    bool ready = look == Look::Answered;
    if (look == Look::Silent && m_state == State::Waiting) ready = switchAgain(&level);
    if (!self) return;
    m_looking = false;
    if (ready && m_state == State::Waiting) goOn(level);
}

// A reading at 57600, as a tick takes it.
Sampler::Look Sampler::lookAtMonitorSpeed(quint8* level) {
    // A local port is there again when its device is; a remote one only a connection tells.
    if (!m_link.OpenPrinterPort(MSComm::Absent::Skip)) return Look::NoPort;
    // Stopped while a remote port's server was waited for: nothing more goes to the port.
    if (m_state != State::Waiting) {
        m_link.ClosePrinterPort();
        return Look::NoPort;
    }
    const Protocol::Commands commands = m_link.commands();
    m_link.SendCommand(m_sensor == Sensor::NearEnd ? commands.nearEndOptoLevel()
                                                   : commands.printerOptoLevel());
    bool silent = false;
    const std::optional<QByteArray> reply = awaitReply(1, kResumeReplyLimitMs, &silent);
    m_link.ClosePrinterPort();
    if (!reply || reply->isEmpty()) return silent ? Look::Silent : Look::NoPort;
    *level = quint8(reply->at(0));
    // Without the parameter block the reference lines would stay out: the opening's read-out gets it.
    return m_sensor == Sensor::NearEnd || m_paramsRead ? Look::Answered : Look::Silent;
}

// The printer runs at its own speed again: the switch of the opening once more at the saved settings,
// then the opening's read-out; whoever may have calibrated it meanwhile, its reference lines follow.
bool Sampler::switchAgain(quint8* level) {
    const QPointer<Sampler> self(this);
    const Status switched = switchFrom(m_savedSpeed, m_savedHandshake);
    SharedState& state = m_link.state();
    state.PrinterSpeed = kMonitorSpeed;
    state.PrinterHandshake = kMonitorHandshake;
    if (!switched.ok() || m_state != State::Waiting) return false;
    const Result<Opening> opening = readOpening();
    if (!self || !opening.ok() || m_state != State::Waiting) return false;
    if (opening.value.params) emit parametersRead(*opening.value.params);
    if (!self) return false;
    *level = opening.value.level.value_or(0);
    return true;
}

void Sampler::goOn(quint8 level) {
    m_retry.stop();
    m_state = State::Running;
    m_fineTimers = std::make_unique<FineTimers>();
    if (m_pace) m_pace->start();
    emit resumed(level);
}

void Sampler::halt() {
    if (m_state == State::Stopped) return;
    m_state = State::Halted;
    m_retry.stop();
    if (m_pace) m_pace->stop();
    m_fineTimers.reset();
}

void Sampler::stop() {
    if (m_state == State::Waiting) m_leftLost = true;
    m_state = State::Stopped;
    m_retry.stop();
    if (m_pace) m_pace->stop();
    m_fineTimers.reset();
    m_link.cancelWaits();
    m_link.ClosePrinterPort();
    // A look for a lost remote port may be waiting for its server inside the open: that ends too.
    m_link.comm().close();
    // The link settings stay at 57600, where the printer is if only the port went; switched off and on,
    // it runs at its own speed, and hears the switch there.
    if (m_leftLost && m_switched)
        m_link.state().owedSwitch =
            OwedSwitch{m_savedSpeed, m_savedHandshake, Protocol::kMonitorConfiguration};
}

Status Sampler::restoreSpeed() {
    if (!m_switched && m_restoreOwed) return payRestore();
    if (!m_switched) return {Outcome::Done, {}};
    const int code = Protocol::restoreSpeedCode(m_savedSpeed);
    const quint8 configuration = Protocol::configurationByte(code, m_savedHandshake);
    SharedState& state = m_link.state();
    if (m_leftLost) {
        // Left while the port was lost: the printer runs at 57600 if only the port went, at its own speed
        // if it was switched off and on, and does not hear the restore there. A port that is back takes
        // the restore now; otherwise the next open owes it, and the link settings go back all the same.
        state.owedSwitch = OwedSwitch{kMonitorSpeed, kMonitorHandshake, configuration};
        state.PrinterSpeed = m_savedSpeed;
        state.PrinterHandshake = m_savedHandshake;
        if (m_link.PortExists(state.PrinterPort) && m_link.OpenPrinterPort()) m_link.ClosePrinterPort();
    } else {
        const Status opened = open();
        if (!opened.ok()) return oweRestore(configuration, opened.problem);
        // An adapter pulled or a server gone between the open and the write: the printer stays at 57600.
        const bool sent = m_link.SendCommand(m_link.commands().setSpeed(configuration));
        m_link.ClosePrinterPort();
        if (!sent)
            return oweRestore(configuration,
                              m_link.portFailureText(tr("the printer's speed could not be put back")));
    }
    state.PrinterSpeed = m_savedSpeed;
    state.PrinterHandshake = m_savedHandshake;
    m_switched = false;
    return {Outcome::Done, {}};
}

// The printer stays at 57600 with hardware flow control and hears the restore there once its port can
// be opened again; the link settings go back now, so that whoever opens the port next pays it first.
Status Sampler::oweRestore(quint8 configuration, const QString& text) {
    SharedState& state = m_link.state();
    state.owedSwitch = OwedSwitch{kMonitorSpeed, kMonitorHandshake, configuration};
    state.PrinterSpeed = m_savedSpeed;
    state.PrinterHandshake = m_savedHandshake;
    m_switched = false;
    m_restoreOwed = true;
    return {Outcome::PortProblem, text};
}

// The open sends what is owed first.
Status Sampler::payRestore() {
    if (const Status opened = open(); !opened.ok()) return opened;
    m_link.ClosePrinterPort();
    m_restoreOwed = m_link.state().owedSwitch.has_value();
    if (m_restoreOwed)
        return {Outcome::PortProblem,
                m_link.portFailureText(tr("the printer's speed could not be put back"))};
    return {Outcome::Done, {}};
}

} // namespace Printer
