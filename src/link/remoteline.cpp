#include "remoteline.h"

#include "tcpconnect.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {
// A serial server on the local network, or at the end of an ssh tunnel, takes a connection in
// milliseconds; 1.5 s leaves room for a slow link, and a search meets a server that has gone away at
// most this long before it goes on to the next port.
constexpr int kConnectLimitMs = 1500;
// ser2net answers a setting in well under a millisecond on loopback and within a round trip elsewhere;
// a server silent this long does not speak RFC 2217 (a plain TCP relay) or is stuck.
constexpr int kAnswerLimitMs = 1000;
// A server that made the program wait out a limit fails again at once for this long: the search asks a
// port at nine speeds, and must not wait nine times for a server that is not going to answer.
constexpr int kUnreachableMs = 5000;
} // namespace

RemoteLine::RemoteLine(QObject* parent) : SerialLine(parent) {
    connect(&m_socket, &QTcpSocket::readyRead, this, &RemoteLine::readSocket);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &RemoteLine::socketFailed);
    connect(&m_socket, &QTcpSocket::disconnected, this, &RemoteLine::socketFailed);
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        if (m_loop && m_done && m_done()) m_loop->quit();
    });
}

RemoteLine::~RemoteLine() {
    m_open = false;
    m_socket.abort();
}

bool RemoteLine::isRemote(const QString& path) {
    return Rfc2217::namesRemote(path);
}

bool RemoteLine::open(const QString& path, const Settings& settings, QString* reason) {
    close();
    m_closed = false;
    if (path == m_unreachableUrl && m_unreachableSince.isValid() &&
        m_unreachableSince.elapsed() < kUnreachableMs) {
        *reason = m_unreachableReason;
        return false;
    }
    const std::optional<Rfc2217::Address> address = Rfc2217::parseUrl(path);
    if (!address) {
        *reason = tr("%1 is not an address of the form rfc2217://HOST:PORT").arg(path);
        return false;
    }
    m_url = path;
    if (!connectTo(*address, reason)) return false;
    m_open = true;
    if (!sendSettings(settings, true, reason)) {
        close();
        return false;
    }
    m_unreachableUrl.clear();
    return true;
}

bool RemoteLine::connectTo(const Rfc2217::Address& address, QString* reason) {
    m_decoder = Rfc2217::Decoder();
    m_data.clear();
    const Wait wait = connectSocket(address);
    if (wait != Wait::Done) {
        *reason =
            wait == Wait::Failed
                ? m_failure
                : tr("%1 did not take the connection within %2 s").arg(m_url).arg(kConnectLimitMs / 1000.0);
        m_socket.abort();
        if (wait == Wait::TimedOut) remember(*reason);
        return false;
    }
    // Each command is a few bytes that must go at once, not wait for more to fill a segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.write(Rfc2217::greeting());
    return true;
}

// An address given as one is tried once with the system's own calls (tcpconnect.h); a host name, and
// whatever those calls leave to Qt, goes through Qt's own connect.
RemoteLine::Wait RemoteLine::connectSocket(const Rfc2217::Address& address) {
    const QHostAddress host(address.host);
    const TcpConnect::Started started =
        host.isNull() ? TcpConnect::Started{} : TcpConnect::start(host, address.port);
    if (!started.failure.isEmpty()) {
        m_failure = started.failure;
        return Wait::Failed;
    }
    if (started.socket == TcpConnect::kNoSocket) {
        m_socket.connectToHost(address.host, address.port);
        return waitFor([this] { return m_socket.state() == QAbstractSocket::ConnectedState; },
                       kConnectLimitMs);
    }
    QSocketNotifier writable(started.socket, QSocketNotifier::Write);
    std::optional<QString> outcome;
    connect(&writable, &QSocketNotifier::activated, this, [&] {
        writable.setEnabled(false);
        outcome = TcpConnect::outcome(started.socket);
        if (m_loop) m_loop->quit();
    });
    Wait wait = waitFor([&] { return outcome.has_value(); }, kConnectLimitMs);
    writable.setEnabled(false);
    if (wait == Wait::Done && !outcome->isEmpty()) {
        m_failure = *outcome;
        wait = Wait::Failed;
    } else if (wait == Wait::Done && !m_socket.setSocketDescriptor(started.socket)) {
        m_failure = m_socket.errorString();
        wait = Wait::Failed;
    }
    if (wait != Wait::Done) TcpConnect::close(started.socket);
    return wait;
}

bool RemoteLine::change(const Settings& settings, QString* reason) {
    if (!m_open) {
        *reason = tr("%1 is not connected").arg(m_url);
        return false;
    }
    return sendSettings(settings, false, reason);
}

bool RemoteLine::sendSettings(const Settings& settings, bool all, QString* reason) {
    using Rfc2217::Command;
    QList<std::pair<Command, QByteArray>> commands;
    if (all || settings.baud != m_settings.baud)
        commands.append({Command::SetBaudRate, Rfc2217::setBaudRate(quint32(settings.baud))});
    if (all) {
        commands.append({Command::SetDataSize, Rfc2217::setDataSize(8)});
        commands.append({Command::SetParity, Rfc2217::setParity(Rfc2217::kNoParity)});
        commands.append({Command::SetStopSize, Rfc2217::setStopSize(Rfc2217::kOneStopBit)});
    }
    if (all || settings.handshaking != m_settings.handshaking)
        commands.append({Command::SetControl,
                         Rfc2217::setControl(
                             Rfc2217::kFlowControl[std::size_t(std::clamp(settings.handshaking, 0, 2))])});
    // Last: what the device received before the new settings took hold is dropped with the answer.
    commands.append({Command::PurgeData, Rfc2217::purgeData(Rfc2217::kPurgeReceived)});
    // No modem-line commands: a server on a device without them never answers them.
    m_answers.clear();
    QElapsedTimer roundTrip;
    roundTrip.start();
    // One command at a time. ser2net writes each answer on its own and its socket holds a small write
    // back until the one before is acknowledged, which a client's delayed acknowledgement makes 40 ms;
    // a command that follows an answer carries that acknowledgement at once.
    for (const auto& [command, bytes] : commands) {
        m_awaited = {command};
        m_socket.write(bytes);
        m_socket.flush();
        const Wait wait = waitFor([this] { return m_awaited.isEmpty(); }, kAnswerLimitMs);
        m_awaited.clear();
        if (wait == Wait::Failed) {
            *reason = m_failure;
            return false;
        }
        if (wait == Wait::TimedOut) {
            *reason = tr("%1 does not accept speed changes").arg(m_url);
            remember(*reason);
            return false;
        }
    }
    m_data.clear();
    m_roundTripMs = int(std::max<qint64>((roundTrip.elapsed() + commands.size() - 1) / commands.size(), 1));
    if (!answersOk(settings, reason)) return false;
    m_settings = settings;
    return true;
}

bool RemoteLine::answersOk(const Settings& settings, QString* reason) const {
    for (const Rfc2217::Answer& answer : m_answers) {
        if (answer.command != Rfc2217::Command::SetBaudRate) continue;
        const std::optional<quint32> baud = Rfc2217::baudOf(answer.value);
        if (baud && *baud == quint32(settings.baud)) continue;
        *reason = tr("%1 set the line to %2 bauds instead of %3")
                      .arg(m_url, baud ? QString::number(*baud) : tr("unknown"))
                      .arg(settings.baud);
        return false;
    }
    return true;
}

RemoteLine::Wait RemoteLine::waitFor(const std::function<bool()>& done, int limitMs) {
    // One wait at a time: MSComm never opens or changes a line from inside an open.
    if (m_loop) return Wait::TimedOut;
    m_failure.clear();
    // A close that came between two waits of an open (the connect done, its settings not yet sent) ends
    // the open as surely as one that came during a wait.
    if (m_closed) {
        m_failure = tr("the port was closed");
        return Wait::Failed;
    }
    if (done()) return Wait::Done;
    // Only the network and timers are served meanwhile: no button press runs inside an open.
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    bool timedOut = false;
    connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    limit.start(limitMs);
    m_loop = &loop;
    m_done = done;
    // An exec that returns at once (-1) means the application has been asked to quit: it would do so again
    // and again, so the wait ends there, as a failure that is not the server's.
    while (!done() && !timedOut && m_failure.isEmpty())
        if (loop.exec(QEventLoop::ExcludeUserInputEvents) < 0) m_failure = tr("the program is ending");
    m_loop = nullptr;
    m_done = {};
    if (m_closed) return Wait::Failed;
    if (done()) return Wait::Done;
    return m_failure.isEmpty() ? Wait::TimedOut : Wait::Failed;
}

void RemoteLine::close() {
    m_open = false;
    m_closed = true;
    if (m_loop) {
        m_failure = tr("the port was closed");
        m_loop->quit();
    }
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.flush();
        m_socket.disconnectFromHost();
        if (m_socket.state() != QAbstractSocket::UnconnectedState) m_socket.abort();
    }
}

bool RemoteLine::write(const QByteArray& bytes) {
    if (!m_open) return false;
    const QByteArray escaped = Rfc2217::escape(bytes);
    if (m_socket.write(escaped) != escaped.size()) return false;
    m_socket.flush();
    return m_open;
}

QByteArray RemoteLine::readAll() {
    QByteArray bytes;
    bytes.swap(m_data);
    return bytes;
}

void RemoteLine::readSocket() {
    const Rfc2217::Decoder::Decoded decoded = m_decoder.feed(m_socket.readAll());
    if (!decoded.reply.isEmpty()) m_socket.write(decoded.reply);
    for (const Rfc2217::Answer& answer : decoded.answers) {
        if (!m_awaited.removeOne(answer.command)) continue;
        m_answers << answer;
    }
    // While settings change, whatever the device sent is from before them.
    if (m_loop) {
        if (m_done && m_done()) m_loop->quit();
        return;
    }
    if (!m_open || decoded.data.isEmpty()) return;
    m_data += decoded.data;
    emit readyRead();
}

void RemoteLine::socketFailed() {
    if (m_socket.error() == QAbstractSocket::UnknownSocketError &&
        m_socket.state() != QAbstractSocket::UnconnectedState)
        return;
    const QString reason = m_socket.error() == QAbstractSocket::UnknownSocketError
                               ? tr("%1 closed the connection").arg(m_url)
                               : m_socket.errorString();
    if (m_loop) {
        if (m_failure.isEmpty()) m_failure = reason;
        m_loop->quit();
        return;
    }
    if (!m_open) return;
    m_open = false;
    m_socket.abort();
    emit failed(reason);
}

void RemoteLine::remember(const QString& reason) {
    m_unreachableUrl = m_url;
    m_unreachableReason = reason;
    m_unreachableSince.start();
}
