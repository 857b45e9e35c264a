#include "tcpconnect.h"

// Qt's own connect serves every address on Windows: its socket layer there is Winsock's, with its own
// rules for a connect in progress.
namespace TcpConnect {

Started start(const QHostAddress&, quint16) {
    return {};
}

QString outcome(Socket) {
    return {};
}

void close(Socket) {}

} // namespace TcpConnect
