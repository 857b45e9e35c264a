#include "ser2net.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

namespace {
// Whether process `pid` listens on 127.0.0.1:port, read from the kernel's socket table without
// connecting (a connection would make ser2net open its device): another test's server that happens to
// have the port does not count.
bool listening(qint64 pid, quint16 port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QByteArray local = QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    QByteArray inode;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 9 && fields[1] == local && fields[3] == "0A") inode = fields[9];
    }
    if (inode.isEmpty()) return false;
    const QString socket = QStringLiteral("socket:[%1]").arg(QString::fromLatin1(inode));
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget().endsWith(socket)) return true;
    return false;
}
} // namespace

bool Ser2Net::installed() {
    return !QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin", "/sbin"})
                .isEmpty();
}

const char* Ser2Net::missing() {
    return "ser2net is not installed (scripts/setup installs it)";
}

quint16 Ser2Net::freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

Ser2Net::Ser2Net(const QString& devicePath, Accepter accepter) {
    m_port = freePort();
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return;
    // One client at a time, as a printer has one line; "local": no modem lines to watch on a pty; no
    // pause after each byte from the printer to gather more (a reply is a few bytes, and waited for).
    file.write(QStringLiteral("connection: &printer\n"
                              "  accepter: %1tcp,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,9600n81,local\n"
                              "  options:\n"
                              "    max-connections: 1\n"
                              "    chardelay: false\n")
                   .arg(accepter == Accepter::Rfc2217 ? QStringLiteral("telnet(rfc2217),") : QString())
                   .arg(m_port)
                   .arg(devicePath)
                   .toUtf8());
    file.close();
    start();
}

bool Ser2Net::start() {
    const QString program =
        QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin", "/sbin"});
    // It says only that it runs without mDNS; whether it listens is read from the socket table.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(program, {"-n", "-d", "-c", m_dir.filePath(QStringLiteral("ser2net.yaml"))});
    if (!m_process.waitForStarted(5000)) return false;
    const QDeadlineTimer deadline(5000);
    while (!(m_listening = listening(m_process.processId(), m_port)) && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running)
        QThread::msleep(10);
    return m_listening;
}

bool Ser2Net::restart() {
    stop();
    return start();
}

Ser2Net::~Ser2Net() {
    stop();
}

QString Ser2Net::url() const {
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_port);
}

void Ser2Net::stop() {
    m_listening = false;
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.kill();
    m_process.waitForFinished(5000);
}
