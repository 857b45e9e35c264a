#pragma once

#include "link/finetimers.h"
#include "link/sharedstate.h"
#include "outcome.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class Link;
class QTimer;

namespace Printer {

// Live readings of one sensor. The printer is switched to 57600 with hardware flow control first (GS B
// 0x86 at the speed it runs at now) and the link settings follow it; the opening read-out takes the
// printer sensor's parameter block and a first reading; then each tick asks for one reading (the
// near-end sensor: its state first, then its level) and closes the port again. At the end the printer
// and the link settings go back to the speed they had.
//
// A tick waits for its reply while timers and clicks run: a tick that finds another still waiting is
// dropped, never stacked; stop() ends the waiting tick and closes its port, and no tick touches the port
// after it. A port problem halts the sampling; the caller tells the technician once.
class Sampler : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 50;
    // At 57600 the printer answers within a millisecond; one silent this long did not take the switch.
    static constexpr int kOpeningReplyLimitMs = 2000;

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
    bool active() const { return m_state == State::Opening || m_state == State::Running; }
    Result<Reading> readSample();
    // The port failed: no more ticks. The waits are the link's to end.
    void halt();
    // The timer first, so that no tick starts; then the waiting tick is ended and its port closed.
    void stop();

    // GS B with the configuration byte of the saved speed and flow control; the link settings follow.
    // Nothing is sent when the printer was never switched. PortProblem: both stay at 57600.
    Status restoreSpeed();

signals:
    // The near-end sensor's state, as soon as the tick has it (before its level is asked for).
    void nearEndStateRead(quint8 state);

private:
    enum class State { Opening, Running, Halted, Stopped };

    Status open();
    std::optional<QByteArray> awaitOpeningReply(int count, bool* silent);
    Result<quint8> tickReply(const QByteArray& command);
    Status problem(const QString& text);

    Link& m_link;
    Sensor m_sensor;
    QTimer* m_pace = nullptr;
    // Held from start() until the sampling halts or stops.
    std::unique_ptr<FineTimers> m_fineTimers;
    State m_state = State::Opening;
    bool m_tickWaiting = false;
    bool m_switched = false;
    QString m_savedSpeed;
    qint16 m_savedHandshake = 0;
};

} // namespace Printer
