#include "rfc2217.h"

#include <QUrl>

#include <algorithm>

namespace Rfc2217 {

namespace {
// Our own subnegotiations are a few bytes; a server's longer ones are kept only this far.
constexpr qsizetype kLongestSubnegotiation = 64;

QByteArray bytes(std::initializer_list<quint8> list) {
    QByteArray out;
    for (quint8 b : list)
        out.append(char(b));
    return out;
}

bool weAccept(quint8 option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}
bool theyMay(quint8 option) {
    return option == kBinary || option == kSuppressGoAhead;
}
} // namespace

QByteArray escape(const QByteArray& data) {
    QByteArray out;
    out.reserve(data.size());
    for (char c : data) {
        out.append(c);
        if (quint8(c) == kIac) out.append(c);
    }
    return out;
}

QByteArray greeting() {
    return bytes({kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSuppressGoAhead, kIac, kDo,
                  kSuppressGoAhead, kIac, kWill, kComPortOption});
}

QByteArray subnegotiation(Command command, const QByteArray& value) {
    return bytes({kIac, kSb, kComPortOption, quint8(command)}) + escape(value) + bytes({kIac, kSe});
}

QByteArray setBaudRate(quint32 baud) {
    return subnegotiation(Command::SetBaudRate,
                          bytes({quint8(baud >> 24), quint8(baud >> 16), quint8(baud >> 8), quint8(baud)}));
}
QByteArray setDataSize(quint8 bits) {
    return subnegotiation(Command::SetDataSize, bytes({bits}));
}
QByteArray setParity(quint8 parity) {
    return subnegotiation(Command::SetParity, bytes({parity}));
}
QByteArray setStopSize(quint8 stopBits) {
    return subnegotiation(Command::SetStopSize, bytes({stopBits}));
}
QByteArray setControl(quint8 control) {
    return subnegotiation(Command::SetControl, bytes({control}));
}
QByteArray purgeData(quint8 which) {
    return subnegotiation(Command::PurgeData, bytes({which}));
}

std::optional<quint32> baudOf(const QByteArray& value) {
    if (value.size() != 4) return std::nullopt;
    quint32 baud = 0;
    for (char c : value)
        baud = (baud << 8) | quint8(c);
    return baud;
}

Decoder::Decoder() {
    // The greeting has asked for these already; the server's agreement needs no answer.
    for (quint8 option : {kBinary, kSuppressGoAhead, kComPortOption})
        m_weDo[option] = true;
    for (quint8 option : {kBinary, kSuppressGoAhead})
        m_theyDo[option] = true;
}

Decoder::Decoded Decoder::feed(const QByteArray& input) {
    Decoded out;
    for (char c : input) {
        const quint8 b = quint8(c);
        switch (m_state) {
        case State::Data:
            if (b == kIac)
                m_state = State::Iac;
            else
                out.data.append(c);
            break;
        case State::Iac:
            m_state = State::Data;
            if (b == kIac) {
                out.data.append(c);
            } else if (b == kSb) {
                m_sub.clear();
                m_state = State::Sub;
            } else if (b >= kWill) { // WILL, WONT, DO, DONT
                m_verb = b;
                m_state = State::Option;
            } // other commands (NOP, go-ahead, break) carry nothing for a serial line
            break;
        case State::Option:
            negotiate(m_verb, b, &out.reply);
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == kIac)
                m_state = State::SubIac;
            else if (m_sub.size() < kLongestSubnegotiation)
                m_sub.append(c);
            break;
        case State::SubIac:
            if (b == kIac) {
                if (m_sub.size() < kLongestSubnegotiation) m_sub.append(c);
                m_state = State::Sub;
            } else {
                // IAC SE ends it; any other command after IAC ends it as well and is taken as a command.
                endSubnegotiation(&out);
                m_state = State::Data;
                if (b != kSe) {
                    m_state = State::Iac;
                    const Decoded rest = feed(QByteArray(1, c));
                    out.data += rest.data;
                    out.answers += rest.answers;
                    out.reply += rest.reply;
                }
            }
            break;
        }
    }
    return out;
}

void Decoder::negotiate(quint8 verb, quint8 option, QByteArray* reply) {
    // Only a change of state is answered (RFC 854): a server that repeats itself gets no echo back.
    const auto say = [reply, option](quint8 answer) { *reply += bytes({kIac, answer, option}); };
    switch (verb) {
    case kDo:
        if (!weAccept(option))
            say(kWont);
        else if (!m_weDo[option])
            say(kWill);
        m_weDo[option] = weAccept(option);
        break;
    case kDont:
        if (m_weDo[option]) say(kWont);
        m_weDo[option] = false;
        break;
    case kWill:
        if (!theyMay(option))
            say(kDont);
        else if (!m_theyDo[option])
            say(kDo);
        m_theyDo[option] = theyMay(option);
        break;
    case kWont:
        if (m_theyDo[option]) say(kDont);
        m_theyDo[option] = false;
        break;
    }
}

void Decoder::endSubnegotiation(Decoded* out) {
    // Answers to our commands only; the server's notices (line and modem state) were not asked for.
    if (m_sub.size() < 2 || quint8(m_sub[0]) != kComPortOption) return;
    const int code = quint8(m_sub[1]) - kServerAnswer;
    static const std::array ours{Command::SetBaudRate, Command::SetDataSize, Command::SetParity,
                                 Command::SetStopSize, Command::SetControl,  Command::PurgeData};
    const auto command = std::find(ours.begin(), ours.end(), Command(code));
    if (code > 0 && command != ours.end()) out->answers.append({*command, m_sub.mid(2)});
}

bool namesRemote(const QString& text) {
    return text.trimmed().startsWith(QLatin1String("rfc2217://"), Qt::CaseInsensitive);
}

std::optional<Address> parseUrl(const QString& text) {
    if (!namesRemote(text)) return std::nullopt;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("rfc2217") || url.host().isEmpty() ||
        url.port() < 1 || !url.userInfo().isEmpty() ||
        !(url.path().isEmpty() || url.path() == QLatin1String("/")) || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    return Address{url.host(), quint16(url.port())};
}

QString urlInEntryText(const QByteArray& text) {
    // An editor on Windows ends the line with CR LF; trimming takes the CR.
    const qsizetype end = text.indexOf('\n');
    const QString line = QString::fromUtf8(end < 0 ? text : text.left(end)).trimmed();
    return parseUrl(line) ? line : QString();
}

} // namespace Rfc2217
