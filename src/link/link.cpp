#include "link.h"

#include "finetimers.h"
#include "portnames.h"

#include <QEventLoop>

#include <algorithm>
#include <utility>

namespace {
constexpr int kReadLength = 50;      // input length after OpenPrinterPort
constexpr int kInputStepMs = 10;     // WaitForInput looks at the receive count every 10 ms ...
constexpr int kInputLastLook = 30;   // ... 31 times in all
} // namespace

Link::Link(SharedState& state, MSComm& comm, QTimer& timer1, QObject* parent)
    : QObject(parent), m_state(state), m_comm(comm), m_timer1(timer1) {
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer1.setSingleShot(false);
    // The tick switches the timer off, so it fires once per start; both a delay in progress and any
    // delay it is nested in end at that tick.
    connect(&m_timer1, &QTimer::timeout, this, [this] {
        m_timer1.stop();
        wake();
    });
    connect(&m_comm, &MSComm::inputArrived, this, &Link::wake);
    connect(&m_comm, &MSComm::deviceLost, this, [this](const QString& reason) {
        if (m_state.PortIsOpen)
            m_state.PortIsOpen = false;
        wake();
        emit portLost(portFailureText(reason));
    });
}

Link::~Link() { cancelWaits(); }

qint32 Link::PortExists(qint16 n) const { return PortNames::portExists(n); }

MSComm::OpenResult Link::OpenPrinterPort(MSComm::Absent absent) {
    if (m_state.PortIsOpen)
        return {true, {}};
    payOwedSwitch();
    m_comm.setCommPort(m_state.PrinterPort);
    m_comm.setSettings(Protocol::settingsText(m_state.PrinterSpeed));
    m_comm.setHandshaking(m_state.PrinterHandshake);
    const MSComm::OpenResult result = m_comm.open(absent);
    if (!result)
        return result;
    m_comm.setInputLen(kReadLength);
    m_state.PortIsOpen = true;
    return result;
}

// Nothing is awaited: the printer switches without a word, and one that already runs at the link settings
// does not hear the command. A port that is still not there keeps the switch owed.
void Link::payOwedSwitch() {
    if (!m_state.owedSwitch) return;
    const OwedSwitch owed = *std::exchange(m_state.owedSwitch, std::nullopt);
    m_comm.setCommPort(m_state.PrinterPort);
    m_comm.setSettings(Protocol::settingsText(owed.speed));
    m_comm.setHandshaking(owed.handshake);
    if (!m_comm.open()) {
        m_state.owedSwitch = owed;
        return;
    }
    m_comm.output(commands().setSpeed(owed.configuration));
    m_comm.close();
}

void Link::ClosePrinterPort() {
    if (!m_state.PortIsOpen)
        return;
    m_comm.close();
    m_state.PortIsOpen = false;
}

bool Link::SendCommand(const QByteArray& command) {
    if (!m_state.PortIsOpen && !OpenPrinterPort())
        return false;
    return m_comm.output(command);
}

std::optional<quint8> Link::ReadReplyByte() {
    const std::optional<QByteArray> bytes = ReadReplyBlock(1);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return quint8(bytes->at(0));
}

std::optional<QByteArray> Link::ReadReplyBlock(int count) {
    // A closed port never delivers: waiting on it would hang the page with no way to tell why.
    const auto arrivedOrGone = [this, count] { return m_comm.inBufferCount() >= count || !m_comm.portOpen(); };
    if (waitUntil(arrivedOrGone) == WaitResult::Cancelled || m_comm.inBufferCount() < count)
        return std::nullopt;
    m_comm.setInputMode(MSComm::InputMode::Binary);
    const QByteArray bytes = m_comm.input();
    m_comm.setInputMode(MSComm::InputMode::Text);
    return bytes;
}

WaitResult Link::Delay(qint16 ms) {
    m_timer1.setInterval(ms);
    return WaitForTimer();
}

WaitResult Link::WaitForTimer() {
    m_timer1.start();
    return waitUntil([this] { return !m_timer1.isActive(); });
}

InputWait Link::WaitForInput() {
    for (int i = 0;; ++i) {
        if (m_comm.inBufferCount() != 0)
            return InputWait::Arrived;
        if (Delay(kInputStepMs) == WaitResult::Cancelled)
            return InputWait::Cancelled;
        if (i == kInputLastLook)
            return InputWait::TimedOut;
    }
}

void Link::cancelWaits() {
    for (WaitFrame* frame : m_frames) {
        frame->cancelled = true;
        frame->loop->quit();
    }
}

QString Link::portFailureText(const QString& reason) const {
    const QString port = PortNames::portName(m_comm.commPort());
    // Windows' own words end with a full stop ("File not found."), Linux's do not.
    QString words = reason;
    while (words.endsWith(QLatin1Char('.')))
        words.chop(1);
    return tr("The serial port %1 cannot be used: %2.\r\nCheck the cable, the adapter and that no other "
              "program holds the port.")
        .arg(port, words);
}

void Link::shutDown() {
    m_shutDown = true;
    cancelWaits();
}

WaitResult Link::waitUntil(std::function<bool()> done) {
    if (m_shutDown)
        return WaitResult::Cancelled;
    if (done())
        return WaitResult::Done;
    const FineTimers fine;
    QEventLoop loop;
    WaitFrame frame{&loop, std::move(done)};
    m_frames.push_back(&frame);
    // Once the application has been asked to quit, every exec returns at once (-1) and would return so
    // for ever: the wait ends as cancelled, so that whatever asked can end the program from anywhere.
    while (!frame.cancelled && !frame.done())
        if (loop.exec() < 0) frame.cancelled = true;
    m_frames.erase(std::find(m_frames.begin(), m_frames.end(), &frame));
    return frame.cancelled ? WaitResult::Cancelled : WaitResult::Done;
}

void Link::wake() {
    for (WaitFrame* frame : m_frames)
        if (frame->cancelled || frame->done())
            frame->loop->quit();
}
