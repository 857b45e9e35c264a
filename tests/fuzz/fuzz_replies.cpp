// What a printer (or anything else on the line) sends back, read as each reply is read: the
// identification text, the opto parameter block and the configuration byte.
#include "link/protocol.h"

#include <cstdlib>

namespace {

void identification(const QByteArray& reply) {
    const QString name = Protocol::printerName(reply);
    const QString first16 = QString::fromLatin1(reply.left(16));
    if (name.size() > 16 || !first16.contains(name) || name.startsWith(QLatin1Char(' ')) ||
        name.endsWith(QLatin1Char(' ')))
        std::abort();
}

void parameterBlock(const QByteArray& reply) {
    const OptoParameterBlock block = Protocol::optoParameters(reply);
    const quint8 fields[] = {block.optoType,   block.blackLevel,     block.markLevel,
                             block.paperLevel, block.paperThreshold, block.markThreshold};
    for (int i = 0; i < Protocol::kParameterBlockSize; ++i) {
        const quint8 expected = reply.size() < Protocol::kParameterBlockSize ? 0 : quint8(reply.at(i));
        if (fields[i] != expected) std::abort();
    }
}

void configuration(quint8 byte) {
    // Bits 3 to 6 say nothing to the program.
    for (const QString& speed : Protocol::speeds()) {
        const bool xonXoff = Protocol::configurationByte(Protocol::speedCode(speed), 1) == (byte & 0x87);
        if (Protocol::configurationMeansXonXoff(byte, speed) != xonXoff) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray reply(reinterpret_cast<const char*>(bytes), qsizetype(size));
    identification(reply);
    parameterBlock(reply);
    if (!reply.isEmpty()) configuration(quint8(reply.at(0)));
    return 0;
}
