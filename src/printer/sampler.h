#pragma once

#include "link/finetimers.h"
#include "link/sharedstate.h"
#include "outcome.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class Link;

namespace Printer {

// Live readings of one sensor. The printer is switched to 57600 with hardware flow control first (GS B
// 0x86 at the speed it runs at now) and the link settings follow it; the opening read-out takes the
// printer sensor's parameter block and a first reading; then each tick asks for one reading (the
// near-end sensor: its state first, then its level) and closes the port again. At the end the printer
// and the link settings go back to the speed they had.
//
// A tick waits for its reply while timers and clicks run: a tick that finds another still waiting is
// dropped, never stacked; stop() ends the waiting tick and closes its port, and no tick touches the port
// after it.
//
// A port problem (an adapter pulled, a device gone, a server stopped or its connection dropped) is said
// once with lost(), and so is a printer that stops answering a tick while its port stays (switched off
// and on behind an RS-232 cable or a ser2net whose connection stays up). Without reconnecting the caller
// decides what a lost port ends (a port that cannot be opened or written, or a silent printer, halts the
// sampling). With it, the sampling waits for the port: every kRetryMs it looks
// whether the port is there (nothing is sent to one that is not), opens it at 57600 with hardware flow
// control and asks for a reading. A printer that answers goes on at once; a silent one was switched off
// and on and runs at its own speed again, so it is switched as at opening and its parameter block read
// again. Then resumed() says so, once.
class Sampler : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 50;
    // At 57600 the printer answers within a millisecond; one silent this long did not take the switch.
    static constexpr int kOpeningReplyLimitMs = 2000;
    // How often a lost port is looked for: the port's return shows within half a second, and looking
    // costs next to nothing (the port folder's entry, a refused connection to a server not yet back).
    static constexpr int kRetryMs = 500;
    // A printer still at 57600 answers a reading within a round trip; silence this long means it was
    // started afresh at its own speed.
    static constexpr int kResumeReplyLimitMs = 300;
    // A tick's reply comes within a millisecond at 57600; silence this long means the printer is gone
    // (switched off, or on again at its own speed) even though its port is still there. As generous as the
    // opening's: through a ser2net on a loaded machine a reply has been seen to take over a second.
    static constexpr int kTickReplyLimitMs = kOpeningReplyLimitMs;

    struct Opening {
        std::optional<OptoParameterBlock> params; // printer sensor only
        std::optional<quint8> level;              // the present reading
    };
    struct Reading {
        quint8 value = 0;
        std::optional<quint8> nearEnd; // the near-end sensor's state: 1 near end, 0 enough paper
    };

    Sampler(Link& link, Sensor sensor, QObject* parent = nullptr);

    Sensor sensor() const { return m_sensor; }
    // Wait for a lost port instead of halting.
    void setReconnect(bool on) { m_reconnect = on; }
    // The port is lost and looked for.
    bool waiting() const { return m_state == State::Waiting; }
    // The last loss was a printer that stopped answering, its port still there.
    bool lostBySilence() const { return m_silent; }
    // How often the port was looked for since it was last lost: the pace of the waiting, which is what
    // the technician's CPU pays for.
    int looks() const { return m_looks; }
    // The technician's words while the port (or a silent printer) is looked for, and when it is back.
    QString waitingText() const;
    // A tick's reply that did not come, as lost() says it.
    QString silenceText() const;
    QString backText() const;

    // Done: the printer now runs at 57600 with hardware flow control, and so do the link settings; the
    // settings it had are kept for restoreSpeed().
    Status switchToMonitorSpeed();
    const QString& savedSpeed() const { return m_savedSpeed; }
    qint16 savedHandshake() const { return m_savedHandshake; }
    bool switched() const { return m_switched; }

    // NoAnswer: the printer stayed silent for kOpeningReplyLimitMs (what was read before is kept).
    Result<Opening> readOpening();

    // Paces the ticks with a precise timer of kIntervalMs; the caller's handler calls readSample().
    void start(QTimer& pace);
    // Running, and no tick waiting for its reply.
    bool tickDue() const { return m_state == State::Running && !m_tickWaiting; }
    bool active() const { return m_state != State::Halted && m_state != State::Stopped; }
    Result<Reading> readSample();
    // No more ticks. The waits are the link's to end.
    void halt();
    // The timer first, so that no tick starts; then the waiting tick is ended and its port closed. Stopped
    // while the port is lost, the printer may run at its own speed: the link owes it the switch to 57600.
    void stop();

    // GS B with the configuration byte of the saved speed and flow control; the link settings follow.
    // Nothing is sent when the printer was never switched. A restore that could not be opened or written
    // is PortProblem: the printer stays at 57600, the link settings go back all the same and the restore
    // is owed, sent first when the port is opened next (by this call again, or by any other open). Left while
    // the port was lost, the link settings go back too, and the switch is owed to a printer that may still
    // run at 57600.
    Status restoreSpeed();

signals:
    // The near-end sensor's state, as soon as the tick has it (before its level is asked for).
    void nearEndStateRead(quint8 state);
    // Once per loss, with the technician's words for it.
    void lost(const QString& problem);
    // The printer sensor's parameter block, read again after the printer was started afresh.
    void parametersRead(const OptoParameterBlock& params);
    // Once per recovery, with the reading that starts the trace again.
    void resumed(quint8 level);

private:
    enum class State { Opening, Running, Waiting, Halted, Stopped };

    Status switchFrom(const QString& speed, qint16 handshake);
    void lose(const QString& problem, bool silent = false);
    void lookForPort();
    enum class Look { NoPort, Silent, Answered };
    Look lookAtMonitorSpeed(quint8* level);
    bool switchAgain(quint8* level);
    void goOn(quint8 level);
    Status open();
    std::optional<QByteArray> awaitReply(int count, int limitMs, bool* silent);
    Result<quint8> tickReply(const QByteArray& command);
    Status problem(const QString& text);
    Status oweRestore(quint8 configuration, const QString& text);
    Status payRestore();

    Link& m_link;
    Sensor m_sensor;
    QTimer* m_pace = nullptr;
    QTimer m_retry;
    bool m_reconnect = false;
    bool m_looking = false; // a look for the lost port is on the stack
    int m_looks = 0;
    bool m_paramsRead = false;
    bool m_leftLost = false;    // stopped while the port was lost
    bool m_silent = false;      // the loss in progress or last was a silent printer
    bool m_restoreOwed = false; // a restore failed and the link owes it
    // Held from start() until the sampling halts or stops.
    std::unique_ptr<FineTimers> m_fineTimers;
    State m_state = State::Opening;
    bool m_tickWaiting = false;
    bool m_switched = false;
    QString m_savedSpeed;
    qint16 m_savedHandshake = 0;
};

} // namespace Printer
