#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QRandomGenerator>

#include <array>
#include <optional>

// The simulated printer, seen from the printer's side of the cable.
//
// Bytes come in with the line settings the application had set when they arrived. A streaming framer
// cuts them into commands (a command may arrive split over several chunks); every command goes into the
// transcript, and the ones that arrived at the printer's own speed are acted on. Replies wait in an
// ordered queue with the time they are due, so a caller (the pty host, or a test driving the clock by
// hand) takes them out with takeDue(). The model knows no clock of its own: every call that depends on
// time is given the present time in milliseconds.
namespace Sim {

// What the application has set on its end of the line. Speed 0: nobody holds the port open.
struct LineState {
    int speed = 0;
    bool hardwareFlow = false;
};

// [type/mode (0 reflective, 1 transmissive), black level, mark/backing level, paper level,
//  paper threshold, mark/backing threshold]
using OptoParams = std::array<quint8, 6>;

struct PrinterConfig {
    int speed = 9600;
    bool hardwareFlow = false;
    bool loaderMode = false; // stuck in the firmware loader: listens at 57600 and echoes CAN only
    bool extensionFitted = true;
    bool paperPresent = false;
    OptoParams optoParams{0, 20, 70, 210, 115, 140};
    bool nearEnd = false;
    QByteArray identification = "SIM-80 Receipt  ";
    int calibrationTimeMs = 1500;
    quint32 noiseSeed = 1; // the sensor noise and random replies repeat from run to run
};

// Misbehaviour on demand. The reply faults (extra, missing, delay, random) touch every reply, or only
// the replies to `onlyFor` when that is set. Silence wins over everything, reply overrides included.
struct Faults {
    bool silent = false;      // never answers
    QByteArray silentFrom{};  // answers nothing from the first time this command is heard
    QByteArray onlyFor{};     // restricts the reply faults below to this command
    QByteArray extraBytes{};  // sent right after the reply
    int missingBytes = 0;     // the reply is cut short by this many bytes at its end
    int delayMs = 0;          // the reply comes this much later
    bool randomReply = false; // the reply's bytes are replaced by as many random bytes
    bool keepsSpeed = false;  // hears a speed switch and stays at the speed it runs at
};

struct TranscriptEntry {
    QByteArray bytes{};
    int lineSpeed = 0;
    bool hardwareFlow = false;
    qint64 timeMs = 0;
    bool heard = false; // arrived at the printer's own speed (and so was acted on)
    bool known = false; // one of the printer's commands; false for bytes it ignores
};

class PrinterModel {
public:
    enum class Command : quint8;

    explicit PrinterModel(const PrinterConfig& config = {});

    void receive(const QByteArray& bytes, LineState line, qint64 nowMs);

    // Removes and returns, in order, every reply byte due at nowMs or earlier.
    QByteArray takeDue(qint64 nowMs);
    std::optional<qint64> nextDueMs() const;
    void dropPending();

    const QList<TranscriptEntry>& transcript() const { return m_transcript; }
    void clearTranscript() { m_transcript.clear(); }
    // Entries ever recorded, the ones dropped included.
    qint64 recordedCount() const { return m_recorded; }
    // A printer that runs for a day keeps only about the last `entries` (0: every one), so that its memory
    // stays flat; its log has them all.
    void setTranscriptLimit(qsizetype entries) { m_transcriptLimit = entries; }

    // Its own line settings. setSpeed() is how the printer was configured (the tie-break of code 5);
    // a GS B changes only the speed it runs at.
    int speed() const { return m_speed; }
    bool hardwareFlow() const { return m_hardwareFlow; }
    void setSpeed(int speed);
    void setHardwareFlow(bool on) { m_config.hardwareFlow = m_hardwareFlow = on; }

    // Switched off it hears nothing and says nothing, and what it was about to say is gone; switched on
    // again it runs at its configured speed and flow control, whatever a GS B had made of them.
    void setPowered(bool on);
    bool powered() const { return m_powered; }
    quint8 configurationByte() const;

    bool loaderMode() const { return m_config.loaderMode; }
    void setLoaderMode(bool on) { m_config.loaderMode = on; }
    void setExtensionFitted(bool fitted) { m_config.extensionFitted = fitted; }
    void setPaperPresent(bool present) { m_config.paperPresent = present; }
    void setStatusOverride(std::optional<quint8> status) { m_statusOverride = status; }
    quint8 statusByte() const;
    const OptoParams& optoParams() const { return m_config.optoParams; }
    void setOptoParams(const OptoParams& params);
    quint8 pendingSensorMode() const { return m_pendingMode; }
    bool nearEnd() const { return m_config.nearEnd; }
    void setNearEnd(bool nearEnd) { m_config.nearEnd = nearEnd; }
    void setIdentification(const QByteArray& text) { m_config.identification = text; }
    void setCalibrationTimeMs(int ms) { m_config.calibrationTimeMs = ms; }
    void setFaults(const Faults& faults);
    const Faults& faults() const { return m_faults; }

    // Answers this exact command with exactly these bytes (empty: no answer). The command still acts.
    void setReplyOverride(const QByteArray& command, const QByteArray& reply);
    void clearReplyOverrides() { m_overrides.clear(); }

    // The sensors as they read at a moment.
    quint8 optoLevel(qint64 nowMs);
    quint8 nearEndLevel(qint64 nowMs);

private:
    struct Pending {
        qint64 dueMs;
        QByteArray bytes;
    };

    void frame(char byte, bool atOwnSpeed, LineState line, qint64 nowMs);
    void finish(QByteArray bytes, std::optional<Command> command, LineState line, qint64 nowMs);
    void act(Command command, const QByteArray& bytes);
    QByteArray answer(Command command, qint64 nowMs, int* delayMs);
    void queueReply(const QByteArray& command, QByteArray reply, qint64 dueMs, bool exact);
    bool listensAt(int lineSpeed) const;
    void switchTo(quint8 configuration);
    int noise(int amplitude);

    PrinterConfig m_config;
    int m_speed = 9600;
    bool m_hardwareFlow = false;
    quint8 m_pendingMode = 0;
    std::optional<quint8> m_statusOverride;
    Faults m_faults;
    bool m_silenced = false;
    bool m_powered = true;
    QHash<QByteArray, QByteArray> m_overrides;

    QByteArray m_partial;          // a command begun but not complete yet
    bool m_partialAllHeard = true; // every byte of m_partial came at the printer's own speed
    qint64 m_busyUntilMs = 0;      // a calibration holds back later replies until it ends
    QList<Pending> m_pending;      // due times never decrease: the printer answers in order
    QList<TranscriptEntry> m_transcript;
    qint64 m_recorded = 0;
    qsizetype m_transcriptLimit = 0;
    QRandomGenerator m_random;
};

// 3-bit speed codes of the configuration byte; 28800 and 38400 share code 5. Unknown speed: -1.
int speedCode(int speed);

} // namespace Sim

Q_DECLARE_METATYPE(Sim::TranscriptEntry)
