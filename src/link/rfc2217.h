#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The bytes of a remote serial port: Telnet with its COM-PORT-OPTION (RFC 2217), as a serial server
// such as ser2net speaks it. Data travels with every 0xFF doubled; line settings travel as
// subnegotiations IAC SB 44 <command> <value> IAC SE, which the server answers with the same command
// plus 100 and the value it applied. No sockets here: the connection is RemoteLine's (remoteline.h).
namespace Rfc2217 {

constexpr quint8 kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
constexpr quint8 kBinary = 0, kSuppressGoAhead = 3, kComPortOption = 44;
constexpr quint8 kServerAnswer = 100; // added to a command's code in the server's answer

enum class Command : quint8 {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    PurgeData = 12,
};
// SET-CONTROL values for the flow control, by handshaking 0 none, 1 XON/XOFF, 2 hardware.
constexpr std::array<quint8, 3> kFlowControl{1, 2, 3};
constexpr quint8 kNoParity = 1, kOneStopBit = 1;
constexpr quint8 kPurgeReceived = 1; // what the device received and the server has not sent on yet

// Data as it goes on the connection: every 0xFF doubled.
QByteArray escape(const QByteArray& data);
// What the client says first: binary both ways, no go-ahead, and that it speaks COM-PORT-OPTION.
QByteArray greeting();
QByteArray subnegotiation(Command command, const QByteArray& value);
QByteArray setBaudRate(quint32 baud);
QByteArray setDataSize(quint8 bits);
QByteArray setParity(quint8 parity);
QByteArray setStopSize(quint8 stopBits);
QByteArray setControl(quint8 control);
QByteArray purgeData(quint8 which);
// The number in a SET-BAUDRATE value (four bytes, most significant first).
std::optional<quint32> baudOf(const QByteArray& value);

// A server's answer to one of the commands above.
struct Answer {
    Command command;
    QByteArray value;
    bool operator==(const Answer&) const = default;
};

// Splits what the server sends into the serial data and its Telnet commands, across reads: a command
// or subnegotiation cut in two by the network is completed by the next read. Negotiation is answered
// in `reply`: binary and suppress-go-ahead are agreed both ways, COM-PORT-OPTION on our side only, and
// every other option is refused; an option already agreed is not confirmed again (no negotiation loops).
class Decoder {
public:
    struct Decoded {
        QByteArray data;
        QList<Answer> answers;
        QByteArray reply; // to be sent back to the server
    };
    Decoder();
    Decoded feed(const QByteArray& bytes);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    void negotiate(quint8 verb, quint8 option, QByteArray* reply);
    void endSubnegotiation(Decoded* out);

    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    // What each side has agreed to, by option code: we do it (WILL), the server does it (DO).
    std::array<bool, 256> m_weDo{};
    std::array<bool, 256> m_theyDo{};
};

// A remote port's address as a port folder entry gives it: "rfc2217://HOST:PORT", IPv6 as "[::1]".
struct Address {
    QString host;
    quint16 port = 0;
};
// Whether a port's device names a remote port at all: its scheme, in any case, blanks around it allowed.
// The one test for "is a remote port" and "opens as a remote port": every address parseUrl takes
// passes it, so nothing listed as remote is opened as a file.
bool namesRemote(const QString& text);
std::optional<Address> parseUrl(const QString& url);
// The URL on the first line of a port folder entry's text (a small regular file); empty when that line
// holds none.
QString urlInEntryText(const QByteArray& text);

} // namespace Rfc2217
