#include "healthcheck.h"

#include "exchange.h"
#include "link/link.h"

namespace Printer::HealthCheck {

namespace {
constexpr quint8 kNearEndAnswer = 1;

// One command, one byte back.
Result<quint8> ask(Link& link, const QByteArray& command) {
    Exchange exchange(link);
    if (!exchange.open() || !exchange.send(command)) return exchange.fail<quint8>();
    const std::optional<quint8> answer = exchange.readByte();
    if (!answer) return exchange.fail<quint8>();
    exchange.close();
    Result<quint8> result;
    result.outcome = Outcome::Done;
    result.value = *answer;
    return result;
}

Result<bool> meaning(const Result<quint8>& reply, bool value) {
    Result<bool> result;
    static_cast<Status&>(result) = reply;
    result.value = reply.ok() && value;
    return result;
}
} // namespace

Result<bool> paperPresent(Link& link) {
    const Result<quint8> status = ask(link, link.commands().paperStatus());
    return meaning(status, (status.value & kNoPaperBit) == 0);
}

Result<bool> nearEnd(Link& link) {
    const Result<quint8> state = ask(link, link.commands().nearEndState());
    return meaning(state, state.value == kNearEndAnswer);
}

} // namespace Printer::HealthCheck
