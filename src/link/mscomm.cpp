#include "mscomm.h"

#include "portnames.h"

#include <QEventLoop>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace {
// The shortest pause between the last byte written and the close, when no reply has shown that the
// printer took them. Closing restores the line settings the port had before it was opened, and the next
// open may set another speed at once: the bytes of a speed-switching command must be on their way at the
// speed they were written at. A printer behind a pseudo-terminal or an adapter takes them off the line
// when its side is scheduled, which on a busy machine is more than a few milliseconds later; only commands
// that get no reply (the speed switch, the restore, the wake-up, a mode store) wait for it.
constexpr int kMinSettleMs = 25;
constexpr int kBitsPerCharacter = 10; // start bit, 8 data bits, stop bit
// How long a closed port stays held: beyond the monitor's 50 ms between ticks, with room for a late tick,
// and short enough that a port the program has finished with is free again almost at once.
constexpr int kHoldMs = 200;
// A remote port is held longer: through the search's one-second pause after the wake-up, so that one
// connection serves the whole search. The server closes the device when its last client leaves, which
// puts the device's own settings back and, on a real port, may drop its modem lines.
constexpr int kRemoteHoldMs = 1500;
} // namespace

MSComm::MSComm(QObject* parent) : QObject(parent) {
    for (SerialLine* line : std::initializer_list<SerialLine*>{&m_local, &m_remote}) {
        connect(line, &SerialLine::readyRead, this, &MSComm::readWaiting);
        connect(line, &SerialLine::failed, this, &MSComm::lineFailed);
    }
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, &MSComm::release);
}

MSComm::~MSComm() {
    m_holdTimer.stop();
    m_line->close();
}

void MSComm::shortenHold() {
    if (m_held) m_holdTimer.start(int(std::max<qint64>(kHoldMs - m_heldSince.elapsed(), 0)));
}

void MSComm::release() {
    m_holdTimer.stop();
    if (!m_held) return;
    m_held = false;
    m_line->close();
}

bool MSComm::reopenHeld(const QString& path, const SerialLine::Settings& settings, QString* reason) {
    // The same device: the port is the program's again without a new lock or a new connection. A line
    // that takes new settings while open gets them now.
    if (!m_held || path != m_openPath || !(settings == m_openSettings || m_line->changesWhileOpen()))
        return false;
    m_holdTimer.stop();
    m_held = false;
    if (settings == m_openSettings) return true;
    if (m_line->change(settings, reason)) {
        m_openSettings = settings;
        return true;
    }
    m_line->close();
    return true; // the held device is gone; the reason says why
}

QString MSComm::devicePath() const { return PortNames::devicePath(m_commPort); }

bool MSComm::lineSettings(SerialLine::Settings* settings, QString* reason) const {
    const QStringList parts = m_settings.split(QLatin1Char(','));
    bool ok = false;
    settings->baud = parts.value(0).toInt(&ok);
    settings->handshaking = std::clamp(m_handshaking, 0, 2);
    if (ok && parts.size() == 4 && parts[1] == QLatin1String("N") && parts[2] == QLatin1String("8") &&
        parts[3] == QLatin1String("1"))
        return true;
    *reason = tr("invalid line settings \"%1\"").arg(m_settings);
    return false;
}

MSComm::OpenResult MSComm::open(Absent absent) {
    if (portOpen()) return {true, {}};
    if (m_opening) return {false, tr("%1 is still being opened").arg(PortNames::portName(m_commPort))};
    SerialLine::Settings settings;
    QString reason;
    if (!lineSettings(&settings, &reason)) return {false, reason};
    const QString path = devicePath();
    if (absent == Absent::Skip && !PortNames::deviceThere(path))
        return {false, tr("%1 is not there").arg(PortNames::portName(m_commPort))};
    // A remote line waits for its server here; whatever runs meanwhile finds the port not yet open.
    const QScopedValueRollback opening(m_opening, true);
    if (reopenHeld(path, settings, &reason)) {
        if (!m_line->isOpen()) return {false, reason};
    } else {
        release();
        if (path.isEmpty())
            return {false, tr("%1 is not connected to any device").arg(PortNames::portName(m_commPort))};
        const OpenResult opened = openDevice(path, settings);
        if (!opened) return opened;
    }
    // A real port starts empty: whatever the line delivered while it was closed is gone.
    m_line->discardInput();
    m_buffer.clear();
    m_unsettledBytes = 0;
    return {true, {}};
}

MSComm::OpenResult MSComm::openDevice(const QString& path, const SerialLine::Settings& settings) {
    m_line = RemoteLine::isRemote(path) ? static_cast<SerialLine*>(&m_remote) : &m_local;
    QString reason;
    if (!m_line->open(path, settings, &reason)) return {false, reason};
    m_openPath = path;
    m_openSettings = settings;
    return {true, {}};
}

void MSComm::settleLine() {
    if (m_unsettledBytes == 0 || !m_line->isOpen()) return;
    const qint64 baud = std::max<qint64>(m_line->baudRate(), 1);
    const qint64 lineMs = (m_unsettledBytes * kBitsPerCharacter * 1000 + baud - 1) / baud;
    // Over a network the bytes first travel to the server, and only then start on the line.
    const qint64 remaining =
        std::max<qint64>(lineMs, kMinSettleMs) + m_line->pathDelayMs() - m_sinceWrite.elapsed();
    m_unsettledBytes = 0;
    if (remaining <= 0) return;
    // Only the line and timers are served meanwhile: no button press runs inside a close.
    QEventLoop loop;
    QTimer::singleShot(int(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    connect(this, &MSComm::inputArrived, &loop, &QEventLoop::quit); // the printer has it
    connect(this, &MSComm::deviceLost, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void MSComm::close() {
    if (m_opening) {
        m_line->close(); // ends the wait for a server: the open fails
        return;
    }
    if (!portOpen() || m_closing) return;
    m_closing = true;
    settleLine();
    if (m_line->isOpen()) {
        m_held = true;
        m_heldSince.start();
        m_holdTimer.start(RemoteLine::isRemote(m_openPath) ? kRemoteHoldMs : kHoldMs);
    }
    m_closing = false;
}

bool MSComm::output(const QByteArray& bytes) {
    if (!portOpen()) return false;
    if (!m_line->write(bytes)) return false;
    m_unsettledBytes += bytes.size();
    m_sinceWrite.start();
    return m_line->isOpen();
}

QByteArray MSComm::input() {
    const qsizetype take = m_inputLen > 0 ? std::min<qsizetype>(m_inputLen, m_buffer.size()) : m_buffer.size();
    const QByteArray bytes = m_buffer.left(take);
    m_buffer.remove(0, take);
    return bytes;
}

void MSComm::readWaiting() {
    if (sender() != m_line) return;
    const QByteArray bytes = m_line->readAll();
    // Bytes that reach a port the program has closed are lost, as on a real port.
    if (bytes.isEmpty() || m_held) return;
    // The printer answered, so it has taken what was written off the line.
    m_unsettledBytes = 0;
    m_buffer.append(bytes);
    emit inputArrived();
}

void MSComm::lineFailed(const QString& reason) {
    if (sender() != m_line) return;
    if (m_held) { // closed for the program: nothing to tell, only the device to let go
        release();
        return;
    }
    m_unsettledBytes = 0;
    emit deviceLost(reason);
}
