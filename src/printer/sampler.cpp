#include "sampler.h"

#include "link/link.h"

#include <QPointer>
#include <QTimer>

namespace Printer {

namespace {
const QString kMonitorSpeed = QStringLiteral("57600");
constexpr qint16 kMonitorHandshake = 2;
} // namespace

Sampler::Sampler(Link& link, Sensor sensor, QObject* parent) : QObject(parent), m_link(link), m_sensor(sensor) {}

Status Sampler::open() {
    const MSComm::OpenResult opened = m_link.OpenPrinterPort();
    if (!opened) return problem(m_link.portFailureText(opened.reason));
    return {Outcome::Done, {}};
}

Status Sampler::problem(const QString& text) {
    halt();
    return {Outcome::PortProblem, text};
}

// The printer switches as soon as it has the command and says nothing, so nothing is awaited.
Status Sampler::switchToMonitorSpeed() {
    const Status opened = open();
    if (!opened.ok()) return opened;
    const bool sent = m_link.SendCommand(m_link.commands().setSpeed(Protocol::kMonitorConfiguration));
    m_link.ClosePrinterPort();
    if (!sent) return problem(m_link.portFailureText(tr("the printer's speed could not be switched")));
    SharedState& state = m_link.state();
    m_savedSpeed = state.PrinterSpeed;
    m_savedHandshake = state.PrinterHandshake;
    state.PrinterSpeed = kMonitorSpeed;
    state.PrinterHandshake = kMonitorHandshake;
    m_switched = true;
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
        const std::optional<QByteArray> block = awaitOpeningReply(Protocol::kParameterBlockSize, &silent);
        if (!block) return failed();
        result.value.params = Protocol::optoParameters(*block);
        m_link.SendCommand(commands.printerOptoLevel());
    } else {
        m_link.SendCommand(commands.nearEndOptoLevel());
    }
    const std::optional<QByteArray> level = awaitOpeningReply(1, &silent);
    if (!level) return failed();
    result.value.level = quint8(level->at(0));
    m_link.ClosePrinterPort();
    result.outcome = Outcome::Done;
    return result;
}

// Nothing when the reply did not come: the waits were cancelled, the port failed (the link tells that
// with portLost), or the printer stayed silent (`silent` set).
std::optional<QByteArray> Sampler::awaitOpeningReply(int count, bool* silent) {
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &m_link, [this, silent] {
        *silent = true;
        m_link.cancelWaits();
    });
    limit.start(kOpeningReplyLimitMs);
    std::optional<QByteArray> reply = m_link.ReadReplyBlock(count);
    limit.stop();
    return reply;
}

void Sampler::start(QTimer& pace) {
    if (m_state != State::Opening) return;
    m_pace = &pace;
    // The time axis takes every tick as 50 ms: a coarse timer would stretch the sweep.
    pace.setTimerType(Qt::PreciseTimer);
    pace.setInterval(kIntervalMs);
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
// (the caller perhaps destroyed) or halted while it waited.
Result<quint8> Sampler::tickReply(const QByteArray& command) {
    Result<quint8> result;
    const QPointer<Sampler> self(this);
    if (!m_link.SendCommand(command)) {
        static_cast<Status&>(result) = problem(m_link.portFailureText(tr("the printer cannot be written to")));
        m_link.ClosePrinterPort();
        return result;
    }
    m_tickWaiting = true;
    const std::optional<quint8> reply = m_link.ReadReplyByte();
    if (!self) return result;
    m_tickWaiting = false;
    if (m_state != State::Running) return result;
    if (!reply) {
        m_link.ClosePrinterPort(); // a wait ended by someone else: the next tick starts afresh
        return result;
    }
    result.outcome = Outcome::Done;
    result.value = *reply;
    return result;
}

void Sampler::halt() {
    if (m_state == State::Stopped) return;
    m_state = State::Halted;
    if (m_pace) m_pace->stop();
    m_fineTimers.reset();
}

void Sampler::stop() {
    m_state = State::Stopped;
    if (m_pace) m_pace->stop();
    m_fineTimers.reset();
    m_link.cancelWaits();
    m_link.ClosePrinterPort();
}

Status Sampler::restoreSpeed() {
    if (!m_switched) return {Outcome::Done, {}};
    const int code = Protocol::restoreSpeedCode(m_savedSpeed);
    const quint8 configuration = Protocol::configurationByte(code, m_savedHandshake);
    // A port that cannot be opened leaves the printer at 57600, and the settings with it.
    if (const Status opened = open(); !opened.ok()) return opened;
    m_link.SendCommand(m_link.commands().setSpeed(configuration));
    m_link.ClosePrinterPort();
    SharedState& state = m_link.state();
    state.PrinterSpeed = m_savedSpeed;
    state.PrinterHandshake = m_savedHandshake;
    m_switched = false;
    return {Outcome::Done, {}};
}

} // namespace Printer
