#include "localline.h"

#include "portaccess.h"

#include <algorithm>

LocalLine::LocalLine(QObject* parent) : SerialLine(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLine::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &LocalLine::handleError);
}

LocalLine::~LocalLine() {
    if (m_port.isOpen()) m_port.close();
}

bool LocalLine::open(const QString& path, const Settings& settings, QString* reason) {
    m_port.setPortName(path);
    m_port.clearError();
    if (!m_port.open(QIODevice::ReadWrite)) {
        *reason = m_port.error() == QSerialPort::PermissionError
                      ? PortAccess::refusal(path, m_port.errorString())
                      : m_port.errorString();
        m_port.clearError();
        return false;
    }
    if (!apply(settings, reason)) {
        close();
        return false;
    }
    discardInput();
    return true;
}

bool LocalLine::change(const Settings& settings, QString* reason) {
    if (!apply(settings, reason)) return false;
    discardInput();
    return true;
}

bool LocalLine::apply(const Settings& settings, QString* reason) {
    // Modem lines are never driven by the program; on a device without them (a pseudo-terminal) Qt may
    // refuse them, which is no reason to give up the port.
    static const QSerialPort::FlowControl flows[] = {QSerialPort::NoFlowControl, QSerialPort::SoftwareControl,
                                                     QSerialPort::HardwareControl};
    const bool applied = m_port.setBaudRate(settings.baud) && m_port.setParity(QSerialPort::NoParity) &&
                         m_port.setDataBits(QSerialPort::Data8) && m_port.setStopBits(QSerialPort::OneStop) &&
                         m_port.setFlowControl(flows[std::clamp(settings.handshaking, 0, 2)]);
    if (!applied) *reason = m_port.errorString();
    return applied;
}

void LocalLine::close() {
    if (m_port.isOpen()) m_port.close();
    m_port.clearError();
}

bool LocalLine::write(const QByteArray& bytes) {
    if (m_port.write(bytes) != bytes.size()) return false;
    m_port.flush();
    return m_port.isOpen();
}

void LocalLine::discardInput() {
    m_port.clear(QSerialPort::Input);
    // A line that failed under the clear has closed itself already.
    if (m_port.isOpen()) m_port.readAll();
}

void LocalLine::handleError(QSerialPort::SerialPortError error) {
    // A vanished device makes every read fail at once, hundreds of thousands of times a second: close
    // on the first failure and say so once.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (!m_port.isOpen()) return;
    const QString reason = m_port.errorString();
    close();
    emit failed(reason);
}
