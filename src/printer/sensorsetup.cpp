#include "sensorsetup.h"

#include "exchange.h"
#include "link/link.h"

namespace Printer::SensorSetup {

namespace {
constexpr quint8 kExtensionAbsent = 0;
} // namespace

Result<bool> extensionFitted(Link& link) {
    Exchange exchange(link);
    if (!exchange.open() || !exchange.send(link.commands().extensionPresence())) return exchange.fail<bool>();
    const std::optional<quint8> answer = exchange.readByte();
    if (!answer) return exchange.fail<bool>();
    exchange.close();
    Result<bool> result;
    result.outcome = Outcome::Done;
    result.value = *answer != kExtensionAbsent;
    return result;
}

Result<OptoParameterBlock> readParameters(Link& link) {
    Exchange exchange(link);
    if (!exchange.open() || !exchange.send(link.commands().optoParameterQuery()))
        return exchange.fail<OptoParameterBlock>();
    const std::optional<QByteArray> block = exchange.readBlock(Protocol::kParameterBlockSize);
    if (!block) return exchange.fail<OptoParameterBlock>();
    exchange.close();
    Result<OptoParameterBlock> result;
    result.outcome = Outcome::Done;
    result.value = Protocol::optoParameters(*block);
    return result;
}

Result<quint8> readSensorMode(Link& link) {
    const Result<OptoParameterBlock> block = readParameters(link);
    Result<quint8> result;
    static_cast<Status&>(result) = block;
    result.value = block.value.optoType;
    return result;
}

Status writeSensorMode(Link& link, quint8 mode) {
    const Protocol::Commands commands = link.commands();
    Exchange exchange(link);
    if (!exchange.open() || !exchange.send(commands.setSensorMode(mode)) || !exchange.send(commands.modeStore()))
        return exchange.failure();
    exchange.close();
    return {Outcome::Done, {}};
}

} // namespace Printer::SensorSetup
