#pragma once

#include "localline.h"
#include "remoteline.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// The program's one serial port object. It has the properties the pages rely on (port number, settings
// text, handshaking 0/1/2, input mode, input length, open/close, receive count, discard, output, input)
// and keeps its own receive buffer, so that the receive count is exact and a read takes at most the input
// length and leaves the rest waiting. Under it is a line (serialline.h): a device of this machine, or a
// serial port on another machine when the port's device path is an rfc2217:// address.
class MSComm : public QObject {
    Q_OBJECT
public:
    enum class InputMode { Text = 0, Binary = 1 };

    struct OpenResult {
        bool ok = false;
        QString reason; // the system's own words when the port cannot be opened
        explicit operator bool() const { return ok; }
    };

    explicit MSComm(QObject* parent = nullptr);
    ~MSComm() override;

    void setCommPort(int port) { m_commPort = port; }
    int commPort() const { return m_commPort; }
    void setSettings(const QString& settings) { m_settings = settings; }
    QString settings() const { return m_settings; }
    void setHandshaking(int handshaking) { m_handshaking = handshaking; }
    int handshaking() const { return m_handshaking; }
    void setInputMode(InputMode mode) { m_inputMode = mode; }
    InputMode inputMode() const { return m_inputMode; }
    void setInputLen(int length) { m_inputLen = length; }
    int inputLen() const { return m_inputLen; }

    // What an open does when the port's device is not there: the system's own open tells why, or (a
    // look for a lost port, twice a second) it gives up at once, before the serial layer takes a lock
    // file for a device that is missing, or reads the port folder a second time.
    enum class Absent { Tell, Skip };
    OpenResult open(Absent absent = Absent::Tell);
    void close();
    bool portOpen() const { return m_line->isOpen() && !m_held && !m_opening; }
    // Closed for the program, but the device is still held for a moment (see m_held).
    bool isHeld() const { return m_held; }
    // The program is ending: a held port is let go as soon as a local one would be.
    void shortenHold();

    int inBufferCount() const { return int(m_buffer.size()); }
    void discardInput() { m_buffer.clear(); }
    bool output(const QByteArray& bytes);
    QByteArray input(); // up to the input length (all when it is 0)

    // The device path the current port number leads to, and the line speed in effect while open.
    QString devicePath() const;
    qint32 baudRate() const { return m_line->baudRate(); }

signals:
    void inputArrived();
    // The port closed itself because the device failed (a pulled cable, a vanished USB adapter).
    void deviceLost(const QString& reason);

private:
    void readWaiting();
    void lineFailed(const QString& reason);
    void settleLine();
    bool lineSettings(SerialLine::Settings* settings, QString* reason) const;
    bool reopenHeld(const QString& path, const SerialLine::Settings& settings, QString* reason);
    OpenResult openDevice(const QString& path, const SerialLine::Settings& settings);
    void release();

    LocalLine m_local;
    RemoteLine m_remote;
    SerialLine* m_line = &m_local;
    bool m_opening = false; // a remote line waits for its server inside open()
    QByteArray m_buffer;
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    int m_handshaking = 0;
    InputMode m_inputMode = InputMode::Text;
    int m_inputLen = 0;
    // Bytes written that the printer may not have taken off the line yet; see settleLine().
    qint64 m_unsettledBytes = 0;
    QElapsedTimer m_sinceWrite;
    bool m_closing = false;
    // A close keeps the device (and with it the system's lock on it) for a moment, so that the monitor's
    // next tick, a few tens of milliseconds later, finds the port still its own: taking the lock anew
    // writes and syncs a lock file, which on a disk costs more than the whole exchange with the printer.
    // For the program the port is closed meanwhile; another device or other settings close it for good.
    bool m_held = false;
    QTimer m_holdTimer;
    QElapsedTimer m_heldSince;
    QString m_openPath;
    SerialLine::Settings m_openSettings;
};
