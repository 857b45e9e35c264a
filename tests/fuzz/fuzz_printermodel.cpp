// The simulated printer's side of the cable: what an application (right or wrong) sends it, in chunks,
// at line speeds of its choosing, while time passes. Input: a flags byte (loader, extension, paper,
// near end, hardware flow, faults), the printer's speed (an index), a fault byte, then chunks of
// [time step and line][length][bytes]. The framer must lose and invent no byte, and the replies must
// come out in order.
#include "printermodel.h"

#include <cstdlib>

namespace {

constexpr int kSpeeds[] = {1200, 2400, 4800, 9600, 19200, 28800, 38400, 57600, 115200};
constexpr qsizetype kLongestCommand = 4;

class Input {
public:
    Input(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}
    bool atEnd() const { return m_at >= m_size; }
    quint8 byte() { return atEnd() ? 0 : m_bytes[m_at++]; }
    QByteArray bytes(size_t count) {
        count = std::min(count, m_size - m_at);
        const QByteArray taken(reinterpret_cast<const char*>(m_bytes + m_at), qsizetype(count));
        m_at += count;
        return taken;
    }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_at = 0;
};

Sim::PrinterModel modelFrom(Input& in, Sim::PrinterConfig* made) {
    const quint8 flags = in.byte();
    Sim::PrinterConfig& config = *made;
    config.loaderMode = flags & 0x01;
    config.extensionFitted = flags & 0x02;
    config.paperPresent = flags & 0x04;
    config.nearEnd = flags & 0x08;
    config.hardwareFlow = flags & 0x10;
    config.speed = kSpeeds[in.byte() % std::size(kSpeeds)];
    config.calibrationTimeMs = 100;
    Sim::PrinterModel model(config);
    const quint8 fault = in.byte();
    if (flags & 0x20) {
        Sim::Faults faults;
        faults.missingBytes = (fault & 0x07) - 1;
        faults.extraBytes = QByteArray((fault >> 3) & 0x03, char(fault));
        faults.delayMs = (fault & 0x20) ? -20 : 30;
        faults.randomReply = fault & 0x40;
        faults.silentFrom = (fault & 0x80) ? QByteArray("\x1bO") : QByteArray();
        model.setFaults(faults);
    }
    return model;
}

// How many bytes the printer answers a command with, faults aside.
qsizetype replySize(const Sim::TranscriptEntry& entry, const Sim::PrinterConfig& config) {
    if (!entry.heard || !entry.known) return 0;
    if (config.loaderMode) return entry.bytes == QByteArray(1, 0x18) ? 1 : 0;
    if (entry.bytes == "\x1bI") return config.identification.size();
    if (entry.bytes == "\x1bO") return 6;
    const char first = entry.bytes.at(0);
    const bool silent = first == 0x00 || first == 0x18 || entry.bytes.startsWith("\x1bo") ||
                        entry.bytes == "\x1bs" || (first == 0x1d && entry.bytes.at(1) == 'B');
    return silent ? 0 : 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Input in(bytes, size);
    Sim::PrinterConfig config;
    Sim::PrinterModel model = modelFrom(in, &config);
    // Faults that change how many bytes come back; a late or random reply still counts.
    const Sim::Faults& faults = model.faults();
    const bool faulty =
        !faults.silentFrom.isEmpty() || faults.missingBytes > 0 || !faults.extraBytes.isEmpty();
    QByteArray sent;
    qsizetype replied = 0;
    qint64 nowMs = 0;
    while (!in.atEnd()) {
        const quint8 step = in.byte();
        nowMs += step & 0x3f;
        // Mostly the speed the printer listens at, now and then another.
        const int listening = model.loaderMode() ? 57600 : model.speed();
        const Sim::LineState line{(step & 0x40) ? kSpeeds[step % std::size(kSpeeds)] : listening,
                                  bool(step & 0x80)};
        const QByteArray chunk = in.bytes(in.byte() & 0x1f);
        model.receive(chunk, line, nowMs);
        sent += chunk;
        replied += model.takeDue(nowMs).size();
        if (const std::optional<qint64> next = model.nextDueMs(); next && *next <= nowMs) std::abort();
    }
    QByteArray framed;
    qsizetype expected = 0;
    for (const Sim::TranscriptEntry& entry : model.transcript()) {
        framed += entry.bytes;
        expected += replySize(entry, config);
    }
    if (!sent.startsWith(framed) || sent.size() - framed.size() >= kLongestCommand) std::abort();
    replied += model.takeDue(std::numeric_limits<qint64>::max()).size();
    // Every command heard is answered, late perhaps (a calibration holds the replies back), never lost.
    if (!faulty && replied != expected) std::abort();
    return 0;
}
