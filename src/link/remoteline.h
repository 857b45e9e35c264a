#pragma once

#include "rfc2217.h"
#include "serialline.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <functional>

class QEventLoop;

// A serial port on another machine, served over TCP by an RFC 2217 server (ser2net): the device path
// is "rfc2217://HOST:PORT". The server opens the device when the first client connects and closes it,
// putting its settings back, when the last one leaves; so settings change on the open connection. The
// server applies a setting the moment it reads it, and answers with the value it applied: every change
// is awaited, for a bounded time, before anything else goes out, and what arrived before is dropped.
class RemoteLine : public SerialLine {
    Q_OBJECT
public:
    explicit RemoteLine(QObject* parent = nullptr);
    ~RemoteLine() override;

    static bool isRemote(const QString& path);

    bool open(const QString& path, const Settings& settings, QString* reason) override;
    bool changesWhileOpen() const override { return true; }
    bool change(const Settings& settings, QString* reason) override;
    bool isOpen() const override { return m_open; }
    // Also ends a connect or a change in progress: it fails at once.
    void close() override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    void discardInput() override { m_data.clear(); }
    qint32 baudRate() const override { return m_settings.baud; }
    int pathDelayMs() const override { return m_roundTripMs; }

private:
    enum class Wait { Done, TimedOut, Failed };
    Wait waitFor(const std::function<bool()>& done, int limitMs);
    bool connectTo(const Rfc2217::Address& address, QString* reason);
    Wait connectSocket(const Rfc2217::Address& address);
    bool sendSettings(const Settings& settings, bool all, QString* reason);
    bool answersOk(const Settings& settings, QString* reason) const;
    void readSocket();
    void socketFailed();
    void remember(const QString& reason);

    QTcpSocket m_socket;
    Rfc2217::Decoder m_decoder;
    QString m_url;
    Settings m_settings;
    bool m_open = false;
    bool m_closed = false; // closed since the open in progress began: its waits end and it fails
    QByteArray m_data;
    // The answers awaited by the change in progress, and those received.
    QList<Rfc2217::Command> m_awaited;
    QList<Rfc2217::Answer> m_answers;
    QEventLoop* m_loop = nullptr;
    std::function<bool()> m_done;
    QString m_failure;
    int m_roundTripMs = 0;
    // A server that did not answer in time is not waited for again at once (see kUnreachableMs).
    QString m_unreachableUrl;
    QString m_unreachableReason;
    QElapsedTimer m_unreachableSince;
};
