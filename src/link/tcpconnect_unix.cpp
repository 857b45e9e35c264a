#include "tcpconnect.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
// In the words Qt's own sockets use for the failures a technician meets, the system's for the others.
QString words(int error) {
    switch (error) {
    case ECONNREFUSED:
        return QCoreApplication::translate("QNativeSocketEngine", "Connection refused");
    case EHOSTUNREACH:
        return QCoreApplication::translate("QNativeSocketEngine", "Host unreachable");
    case ENETUNREACH:
        return QCoreApplication::translate("QNativeSocketEngine", "Network unreachable");
    default:
        return qt_error_string(error);
    }
}
} // namespace

namespace TcpConnect {

Started start(const QHostAddress& address, quint16 port) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof(*in);
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol && address.scopeId().isEmpty()) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, sizeof(bytes.c));
        length = sizeof(*in6);
    } else {
        return {};
    }
    const int socket = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0) return {kNoSocket, words(errno)};
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&storage), length) == 0 || errno == EINPROGRESS)
        return {socket, {}};
    const int error = errno;
    ::close(socket);
    return {kNoSocket, words(error)};
}

QString outcome(Socket socket) {
    int error = 0;
    socklen_t length = sizeof(error);
    if (::getsockopt(int(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    return error == 0 ? QString() : words(error);
}

void close(Socket socket) {
    if (socket != kNoSocket) ::close(int(socket));
}

} // namespace TcpConnect
