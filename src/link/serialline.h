#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The line under MSComm: a serial device of this machine (LocalLine, over QSerialPort) or a serial port
// that a server on another machine shares over the network (RemoteLine, RFC 2217). MSComm keeps the
// program's rules (its receive buffer, holding a closed port, the pause before a speed change); a line
// only moves bytes and settings, and says once when its device is gone.
class SerialLine : public QObject {
    Q_OBJECT
public:
    struct Settings {
        qint32 baud = 9600;
        int handshaking = 0; // 0 none, 1 XON/XOFF, 2 hardware; always 8 data bits, no parity, 1 stop bit
        bool operator==(const Settings&) const = default;
    };
    using QObject::QObject;

    // Opens the device at these settings, its input empty; false with the reason in the system's words.
    virtual bool open(const QString& path, const Settings& settings, QString* reason) = 0;
    // Whether the open line can take other settings without being opened again.
    virtual bool changesWhileOpen() const = 0;
    // New settings for the open line, its input emptied as by an open.
    virtual bool change(const Settings& settings, QString* reason) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Drops what the device has received and not yet delivered.
    virtual void discardInput() = 0;
    virtual qint32 baudRate() const = 0;
    // How long bytes written take to reach the device beyond their time on the line (a network path).
    virtual int pathDelayMs() const { return 0; }

signals:
    void readyRead();
    // The device failed under the line (a pulled cable, a vanished adapter, a dropped connection); the
    // line has closed itself.
    void failed(const QString& reason);
};
