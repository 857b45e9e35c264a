#include "printermodel.h"

#include <algorithm>
#include <cmath>

namespace Sim {

enum class PrinterModel::Command : quint8 {
    Nul,
    Cancel,
    PaperStatus,
    Identification,
    Configuration,
    ExtensionPresence,
    NearEndState,
    NearEndLevel,
    NearEndCalibrate,
    OptoParameters,
    SetSensorMode,
    StoreSensorMode,
    OptoLevel,
    SetSpeed,
    CalibrateOpto,
};

namespace {

constexpr char kCan = 0x18;
constexpr char kCalibrationEnd = 0x00; // the application only waits for a byte, whatever its value
constexpr int kLoaderSpeed = 57600;

// The paper passing the printer's opto-sensor: a mark every second, seen for a short while, with edges
// that take a few milliseconds because the mark moves under a sensor spot of some width.
constexpr qint64 kMarkPeriodMs = 1000;
constexpr qint64 kMarkStartMs = 600;
constexpr qint64 kMarkLengthMs = 120;
constexpr qint64 kMarkEdgeMs = 15;
constexpr int kOptoNoise = 3;

// The near-end sensor looks at the side of the roll, which wobbles a little as the roll turns.
constexpr quint8 kRollLevel = 180;
constexpr quint8 kNearEndRollLevel = 40;
constexpr qint64 kRollTurnMs = 2000;
constexpr int kRollWobble = 6;
constexpr int kNearEndNoise = 2;

struct Pattern {
    QByteArray bytes; // the fixed bytes
    int arguments;    // free bytes that follow
};

using Command = PrinterModel::Command;

struct CommandPattern {
    Command command;
    Pattern pattern;
};

QByteArray bytesOf(std::initializer_list<char> bytes) {
    return QByteArray(bytes.begin(), int(bytes.size()));
}

const QList<CommandPattern>& commandTable() {
    static const QList<CommandPattern> table{
        {Command::Nul, {bytesOf({0x00}), 0}},
        {Command::Cancel, {bytesOf({0x18}), 0}},
        {Command::PaperStatus, {bytesOf({0x1B, 'v'}), 0}},
        {Command::Identification, {bytesOf({0x1B, 'I'}), 0}},
        {Command::Configuration, {bytesOf({0x1D, 'S', 'f', 0x1C}), 0}},
        {Command::ExtensionPresence, {bytesOf({0x1B, 'n', 'p'}), 0}},
        {Command::NearEndState, {bytesOf({0x1B, 'n', 's'}), 0}},
        {Command::NearEndLevel, {bytesOf({0x1B, 'n', 'l'}), 0}},
        {Command::NearEndCalibrate, {bytesOf({0x1B, 'n', 'c'}), 0}},
        {Command::OptoParameters, {bytesOf({0x1B, 'O'}), 0}},
        {Command::SetSensorMode, {bytesOf({0x1B, 'o'}), 1}},
        {Command::StoreSensorMode, {bytesOf({0x1B, 's'}), 0}},
        {Command::OptoLevel, {bytesOf({0x1D, 'o'}), 0}},
        {Command::SetSpeed, {bytesOf({0x1D, 'B'}), 1}},
        {Command::CalibrateOpto, {bytesOf({0x1D, 'O', 0x05, 0x05}), 0}},
    };
    return table;
}

enum class Match { None, Prefix, Complete };

Match match(const QByteArray& partial, const Pattern& pattern) {
    const int fixed = int(pattern.bytes.size());
    const int common = std::min(int(partial.size()), fixed);
    if (partial.left(common) != pattern.bytes.left(common)) return Match::None;
    if (partial.size() == fixed + pattern.arguments) return Match::Complete;
    return partial.size() < fixed + pattern.arguments ? Match::Prefix : Match::None;
}

int speedForCode(int code, int configuredSpeed) {
    static const int speeds[8] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    if (code == 5 && configuredSpeed == 28800) return 28800;
    return speeds[code & 7];
}

quint8 clampLevel(int value) {
    return quint8(std::clamp(value, 0, 255));
}

} // namespace

int speedCode(int speed) {
    switch (speed) {
    case 1200:
        return 0;
    case 2400:
        return 1;
    case 4800:
        return 2;
    case 9600:
        return 3;
    case 19200:
        return 4;
    case 28800:
    case 38400:
        return 5;
    case 57600:
        return 6;
    case 115200:
        return 7;
    default:
        return -1;
    }
}

PrinterModel::PrinterModel(const PrinterConfig& config)
    : m_config(config), m_speed(config.speed), m_hardwareFlow(config.hardwareFlow),
      m_pendingMode(config.optoParams[0]), m_random(config.noiseSeed) {}

void PrinterModel::setSpeed(int speed) {
    m_config.speed = speed;
    m_speed = speed;
}

quint8 PrinterModel::configurationByte() const {
    return quint8(std::max(speedCode(m_speed), 0) | (m_hardwareFlow ? 0x80 : 0));
}

quint8 PrinterModel::statusByte() const {
    if (m_statusOverride) return *m_statusOverride;
    return m_config.paperPresent ? 0x00 : 0x04;
}

void PrinterModel::setOptoParams(const OptoParams& params) {
    m_config.optoParams = params;
    m_pendingMode = params[0];
}

void PrinterModel::setPowered(bool on) {
    if (on == m_powered) return;
    m_powered = on;
    m_pending.clear();
    m_busyUntilMs = 0;
    m_partial.clear();
    m_partialAllHeard = true;
    if (!on) return;
    m_speed = m_config.speed;
    m_hardwareFlow = m_config.hardwareFlow;
    m_pendingMode = m_config.optoParams[0];
}

void PrinterModel::setFaults(const Faults& faults) {
    m_faults = faults;
    m_silenced = false;
}

void PrinterModel::setReplyOverride(const QByteArray& command, const QByteArray& reply) {
    m_overrides.insert(command, reply);
}

bool PrinterModel::listensAt(int lineSpeed) const {
    return lineSpeed == (m_config.loaderMode ? kLoaderSpeed : m_speed);
}

void PrinterModel::receive(const QByteArray& bytes, LineState line, qint64 nowMs) {
    // Whether the bytes are heard is decided per chunk: at another speed the printer's receiver makes
    // nothing of them, and a GS B among them must not switch it.
    for (char byte : bytes)
        frame(byte, m_powered && listensAt(line.speed), line, nowMs);
}

void PrinterModel::frame(char byte, bool atOwnSpeed, LineState line, qint64 nowMs) {
    m_partial.append(byte);
    m_partialAllHeard = m_partialAllHeard && atOwnSpeed;

    bool prefix = false;
    for (const auto& entry : commandTable()) {
        const Match m = match(m_partial, entry.pattern);
        if (m == Match::Complete) {
            finish(m_partial, entry.command, line, nowMs);
            return;
        }
        prefix = prefix || m == Match::Prefix;
    }
    if (prefix) return;

    // Not a command. When the byte that broke the pattern could itself start one (ESC ESC v), the
    // bytes before it are dropped and it starts afresh; otherwise all of them are dropped together.
    if (m_partial.size() > 1) {
        const QByteArray last(1, byte);
        const bool starts = std::any_of(commandTable().begin(), commandTable().end(),
                                        [&](const auto& e) { return match(last, e.pattern) != Match::None; });
        if (starts) {
            finish(m_partial.chopped(1), std::nullopt, line, nowMs);
            frame(byte, atOwnSpeed, line, nowMs);
            return;
        }
    }
    finish(m_partial, std::nullopt, line, nowMs);
}

void PrinterModel::finish(QByteArray bytes, std::optional<Command> command, LineState line, qint64 nowMs) {
    const bool heard = m_partialAllHeard;
    m_transcript.append({bytes, line.speed, line.hardwareFlow, nowMs, heard, command.has_value()});
    ++m_recorded;
    // Dropped in halves, not one by one: the window moves seldom.
    if (m_transcriptLimit > 0 && m_transcript.size() >= 2 * m_transcriptLimit)
        m_transcript.remove(0, m_transcript.size() - m_transcriptLimit);
    m_partial.clear();
    m_partialAllHeard = true;
    if (!heard) return;

    if (!m_faults.silentFrom.isEmpty() && bytes == m_faults.silentFrom) m_silenced = true;

    int delayMs = 0;
    QByteArray reply;
    if (command) {
        reply = answer(*command, nowMs, &delayMs);
        act(*command, bytes);
    }
    const qint64 dueMs = std::max(nowMs, m_busyUntilMs) + delayMs;
    if (delayMs > 0) // calibrating: what is asked meanwhile is answered after the end mark
        m_busyUntilMs = dueMs;

    const auto override = m_overrides.constFind(bytes);
    if (override != m_overrides.constEnd())
        queueReply(bytes, *override, dueMs, true);
    else
        queueReply(bytes, reply, dueMs, false);
}

QByteArray PrinterModel::answer(Command command, qint64 nowMs, int* delayMs) {
    if (m_config.loaderMode) return command == Command::Cancel ? QByteArray(1, kCan) : QByteArray();

    const bool fitted = m_config.extensionFitted;
    switch (command) {
    case Command::PaperStatus:
        return QByteArray(1, char(statusByte()));
    case Command::Identification:
        return m_config.identification;
    case Command::Configuration:
        return QByteArray(1, char(configurationByte()));
    case Command::ExtensionPresence:
        return QByteArray(1, fitted ? 1 : 0);
    case Command::NearEndState:
        return QByteArray(1, fitted && m_config.nearEnd ? 1 : 0);
    case Command::NearEndLevel:
        return QByteArray(1, fitted ? char(nearEndLevel(nowMs)) : 0);
    case Command::OptoParameters:
        return QByteArray(reinterpret_cast<const char*>(m_config.optoParams.data()), 6);
    case Command::OptoLevel:
        return QByteArray(1, char(optoLevel(nowMs)));
    case Command::NearEndCalibrate:
        // Without the extension there is nothing to calibrate: the end mark comes at once.
        *delayMs = fitted ? m_config.calibrationTimeMs : 0;
        return QByteArray(1, kCalibrationEnd);
    case Command::CalibrateOpto:
        *delayMs = m_config.calibrationTimeMs;
        return QByteArray(1, kCalibrationEnd);
    default:
        return {};
    }
}

void PrinterModel::act(Command command, const QByteArray& bytes) {
    if (m_config.loaderMode) return;
    switch (command) {
    case Command::SetSensorMode:
        m_pendingMode = quint8(bytes.back());
        break;
    case Command::StoreSensorMode:
        m_config.optoParams[0] = m_pendingMode;
        break;
    case Command::SetSpeed:
        if (!m_faults.keepsSpeed) switchTo(quint8(bytes.back()));
        break;
    default:
        break;
    }
}

void PrinterModel::switchTo(quint8 configuration) {
    m_speed = speedForCode(configuration & 7, m_config.speed);
    m_hardwareFlow = (configuration & 0x80) != 0;
}

void PrinterModel::queueReply(const QByteArray& command, QByteArray reply, qint64 dueMs, bool exact) {
    if (reply.isEmpty() || m_faults.silent || m_silenced) return;
    if (!exact && (m_faults.onlyFor.isEmpty() || command == m_faults.onlyFor)) {
        if (m_faults.randomReply)
            for (char& byte : reply)
                byte = char(m_random.bounded(256));
        reply.chop(std::min(m_faults.missingBytes, int(reply.size())));
        reply.append(m_faults.extraBytes);
        dueMs += m_faults.delayMs;
    }
    if (reply.isEmpty()) return;
    if (!m_pending.isEmpty()) dueMs = std::max(dueMs, m_pending.back().dueMs);
    m_pending.append({dueMs, reply});
}

QByteArray PrinterModel::takeDue(qint64 nowMs) {
    QByteArray due;
    while (!m_pending.isEmpty() && m_pending.front().dueMs <= nowMs)
        due.append(m_pending.takeFirst().bytes);
    return due;
}

std::optional<qint64> PrinterModel::nextDueMs() const {
    if (m_pending.isEmpty()) return std::nullopt;
    return m_pending.front().dueMs;
}

void PrinterModel::dropPending() {
    m_pending.clear();
}

int PrinterModel::noise(int amplitude) {
    return int(m_random.bounded(2 * amplitude + 1)) - amplitude;
}

quint8 PrinterModel::optoLevel(qint64 nowMs) {
    const OptoParams& p = m_config.optoParams;
    if (!m_config.paperPresent) return clampLevel(p[1] + noise(kOptoNoise));

    // Distance into the mark, 0 outside it, rising to 1 across the leading edge and falling at the end.
    const qint64 phase = ((nowMs % kMarkPeriodMs) + kMarkPeriodMs) % kMarkPeriodMs - kMarkStartMs;
    double depth = 0.0;
    if (phase >= 0 && phase < kMarkLengthMs)
        depth = std::min({1.0, double(phase + 1) / kMarkEdgeMs, double(kMarkLengthMs - phase) / kMarkEdgeMs});
    const double level = p[3] + (double(p[2]) - p[3]) * depth;
    return clampLevel(int(std::lround(level)) + noise(kOptoNoise));
}

quint8 PrinterModel::nearEndLevel(qint64 nowMs) {
    const int base = m_config.nearEnd ? kNearEndRollLevel : kRollLevel;
    const double turn = 2.0 * M_PI * double(nowMs % kRollTurnMs) / kRollTurnMs;
    return clampLevel(base + int(std::lround(kRollWobble * std::sin(turn))) + noise(kNearEndNoise));
}

} // namespace Sim
