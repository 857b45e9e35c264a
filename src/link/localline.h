#pragma once

#include "serialline.h"

#include <QSerialPort>

// A serial device of this machine.
class LocalLine : public SerialLine {
    Q_OBJECT
public:
    explicit LocalLine(QObject* parent = nullptr);
    ~LocalLine() override;

    bool open(const QString& path, const Settings& settings, QString* reason) override;
    // Closing puts back the settings the device had before it was opened, so another speed means a new
    // open: the close lets the last bytes go at the speed they were written at.
    bool changesWhileOpen() const override { return false; }
    bool change(const Settings& settings, QString* reason) override;
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override { return m_port.readAll(); }
    void discardInput() override;
    qint32 baudRate() const override { return m_port.baudRate(); }

private:
    bool apply(const Settings& settings, QString* reason);
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
};
