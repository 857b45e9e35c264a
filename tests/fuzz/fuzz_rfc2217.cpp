// What a serial server sends on a remote port's connection, cut by the network anywhere. The first byte
// chooses the cuts; the rest is the stream. Whole, byte by byte or in those pieces, the decoder must
// give the same data, answers and replies; and data escaped for the line must come back unchanged.
#include "link/rfc2217.h"

#include <cstdlib>

namespace {

Rfc2217::Decoder::Decoded inPieces(const QByteArray& stream, quint8 seed) {
    Rfc2217::Decoder decoder;
    Rfc2217::Decoder::Decoded all;
    quint32 cut = seed;
    for (qsizetype at = 0; at < stream.size();) {
        cut = cut * 1103515245u + 12345u;
        const qsizetype length = seed == 0 ? 1 : (cut >> 16) % 9; // empty pieces too
        const Rfc2217::Decoder::Decoded piece = decoder.feed(stream.mid(at, length));
        all.data += piece.data;
        all.answers += piece.answers;
        all.reply += piece.reply;
        // What RemoteLine does with an answer to the speed.
        for (const Rfc2217::Answer& answer : piece.answers)
            if (answer.command == Rfc2217::Command::SetBaudRate) (void)Rfc2217::baudOf(answer.value);
        at += length;
    }
    return all;
}

bool same(const Rfc2217::Decoder::Decoded& a, const Rfc2217::Decoder::Decoded& b) {
    return a.data == b.data && a.answers == b.answers && a.reply == b.reply;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size == 0) return 0;
    const QByteArray stream(reinterpret_cast<const char*>(bytes) + 1, qsizetype(size - 1));
    const Rfc2217::Decoder::Decoded whole = Rfc2217::Decoder().feed(stream);
    if (!same(whole, inPieces(stream, 0)) || !same(whole, inPieces(stream, bytes[0]))) std::abort();

    const Rfc2217::Decoder::Decoded echoed = Rfc2217::Decoder().feed(Rfc2217::escape(stream));
    if (echoed.data != stream || !echoed.answers.isEmpty() || !echoed.reply.isEmpty()) std::abort();
    return 0;
}
