#include "mscomm.h"

#include "portaccess.h"
#include "portnames.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {
// The shortest pause between the last byte written and the close. Closing restores the line settings
// the port had before it was opened, and the next open may set another speed at once: the bytes of a
// speed-switching command must be on their way at the speed they were written at.
constexpr int kMinSettleMs = 3;
constexpr int kBitsPerCharacter = 10; // start bit, 8 data bits, stop bit
// How long a closed port stays held: beyond the monitor's 50 ms between ticks, with room for a late tick,
// and short enough that a port the program has finished with is free again almost at once.
constexpr int kHoldMs = 200;
} // namespace

MSComm::MSComm(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &MSComm::readWaiting);
    connect(&m_port, &QSerialPort::errorOccurred, this, &MSComm::handleError);
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(kHoldMs);
    connect(&m_holdTimer, &QTimer::timeout, this, &MSComm::release);
}

MSComm::~MSComm() {
    m_holdTimer.stop();
    if (m_port.isOpen())
        m_port.close();
}

void MSComm::release() {
    m_holdTimer.stop();
    if (!m_held)
        return;
    m_held = false;
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool MSComm::reopenHeld(const QString& path) {
    // The same device at the same settings: the port is the program's again without a new lock.
    if (!m_held || path != m_openPath || m_settings != m_openSettings || m_handshaking != m_openHandshaking)
        return false;
    m_holdTimer.stop();
    m_held = false;
    return true;
}

QString MSComm::devicePath() const { return PortNames::devicePath(m_commPort); }

bool MSComm::applySettings(QString* reason) {
    const QStringList parts = m_settings.split(QLatin1Char(','));
    bool ok = false;
    const int baud = parts.value(0).toInt(&ok);
    if (!ok || parts.size() != 4 || parts[1] != QLatin1String("N") || parts[2] != QLatin1String("8") ||
        parts[3] != QLatin1String("1")) {
        *reason = tr("invalid line settings \"%1\"").arg(m_settings);
        return false;
    }
    // Modem lines are never driven by the program; on a device without them (a pseudo-terminal) Qt may
    // refuse them, which is no reason to give up the port.
    static const QSerialPort::FlowControl flows[] = {QSerialPort::NoFlowControl, QSerialPort::SoftwareControl,
                                                     QSerialPort::HardwareControl};
    const bool applied = m_port.setBaudRate(baud) && m_port.setParity(QSerialPort::NoParity) &&
                         m_port.setDataBits(QSerialPort::Data8) && m_port.setStopBits(QSerialPort::OneStop) &&
                         m_port.setFlowControl(flows[std::clamp(m_handshaking, 0, 2)]);
    if (!applied)
        *reason = m_port.errorString();
    return applied;
}

MSComm::OpenResult MSComm::open() {
    if (portOpen())
        return {true, {}};
    const QString path = devicePath();
    if (!reopenHeld(path)) {
        release();
        if (path.isEmpty())
            return {false, tr("%1 is not connected to any device").arg(PortNames::portName(m_commPort))};
        const OpenResult opened = openDevice(path);
        if (!opened)
            return opened;
    }
    // A real port starts empty: whatever the line delivered while it was closed is gone.
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_buffer.clear();
    m_unsettledBytes = 0;
    return {true, {}};
}

MSComm::OpenResult MSComm::openDevice(const QString& path) {
    m_port.setPortName(path);
    m_port.clearError();
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QString reason = m_port.error() == QSerialPort::PermissionError
                                   ? PortAccess::refusal(path, m_port.errorString())
                                   : m_port.errorString();
        m_port.clearError();
        return {false, reason};
    }
    QString reason;
    if (!applySettings(&reason)) {
        m_port.close();
        m_port.clearError();
        return {false, reason};
    }
    m_openPath = path;
    m_openSettings = m_settings;
    m_openHandshaking = m_handshaking;
    return {true, {}};
}

void MSComm::settleLine() {
    if (m_unsettledBytes == 0 || !m_port.isOpen())
        return;
    const qint64 lineMs = (m_unsettledBytes * kBitsPerCharacter * 1000 + m_port.baudRate() - 1) /
                          std::max<qint64>(m_port.baudRate(), 1);
    const qint64 remaining = std::max<qint64>(lineMs, kMinSettleMs) - m_sinceWrite.elapsed();
    m_unsettledBytes = 0;
    if (remaining <= 0)
        return;
    // Only the line and timers are served meanwhile: no button press runs inside a close.
    QEventLoop loop;
    QTimer::singleShot(int(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    connect(this, &MSComm::inputArrived, &loop, &QEventLoop::quit); // the printer has it
    connect(this, &MSComm::deviceLost, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void MSComm::close() {
    if (!portOpen() || m_closing)
        return;
    m_closing = true;
    settleLine();
    if (m_port.isOpen()) {
        m_held = true;
        m_holdTimer.start();
    }
    m_port.clearError();
    m_closing = false;
}

bool MSComm::output(const QByteArray& bytes) {
    if (!portOpen())
        return false;
    if (m_port.write(bytes) != bytes.size())
        return false;
    m_port.flush();
    m_unsettledBytes += bytes.size();
    m_sinceWrite.start();
    return m_port.isOpen();
}

QByteArray MSComm::input() {
    const qsizetype take = m_inputLen > 0 ? std::min<qsizetype>(m_inputLen, m_buffer.size()) : m_buffer.size();
    const QByteArray bytes = m_buffer.left(take);
    m_buffer.remove(0, take);
    return bytes;
}

void MSComm::readWaiting() {
    const QByteArray bytes = m_port.readAll();
    // Bytes that reach a port the program has closed are lost, as on a real port.
    if (bytes.isEmpty() || m_held)
        return;
    // The printer answered, so it has taken what was written off the line.
    m_unsettledBytes = 0;
    m_buffer.append(bytes);
    emit inputArrived();
}

void MSComm::handleError(QSerialPort::SerialPortError error) {
    // A vanished device makes every read fail at once, hundreds of thousands of times a second: close
    // on the first failure and say so once.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (!m_port.isOpen())
        return;
    if (m_held) { // closed for the program: nothing to tell, only the device to let go
        release();
        return;
    }
    const QString reason = m_port.errorString();
    m_unsettledBytes = 0;
    m_port.close();
    m_port.clearError();
    emit deviceLost(reason);
}
