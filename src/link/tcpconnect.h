#pragma once

#include <QHostAddress>
#include <QString>

// A connection to a remote port's server in one attempt, started without waiting; once connected, the
// socket is handed to a QTcpSocket. Qt's own connect tries each address twice, each time on a new
// socket, and a lost remote port is tried twice a second for as long as it is away: each try should
// cost the processor as little as the system allows. On Windows nothing is started here, and Qt's own
// connect serves.
namespace TcpConnect {

using Socket = qintptr;
constexpr Socket kNoSocket = -1;

struct Started {
    Socket socket = kNoSocket;
    QString failure; // the system's words when no attempt could start
};

// No socket and no failure: the address is for Qt's own connect (a link-local one, or on Windows).
Started start(const QHostAddress& address, quint16 port);
// Once the socket can be written, the attempt is over: empty when connected, otherwise why not.
QString outcome(Socket socket);
void close(Socket socket);

} // namespace TcpConnect
