#pragma once

// How a command travels. A page builds the command's bytes with Protocol::Commands (protocol.h) from the
// prefixes in the SharedState, and hands them to the Link: OpenPrinterPort opens the one MSComm with the
// shared port, speed and handshake, SendCommand writes the bytes, and ReadReplyByte (or ReadReplyBlock)
// waits in a nested event loop until MSComm's receive buffer has the reply, then reads it. The page closes
// the port with ClosePrinterPort before it hands over to another page. The detection routines drive MSComm
// directly with settings of their own and wait with Delay and WaitForInput on Timer1.
//
// Every wait sleeps in a nested event loop until a timer tick, received bytes or a failed device wake it:
// windows repaint and buttons work meanwhile, so another handler can run inside a wait. Leaving a page or
// ending the program calls cancelWaits(); every wait in progress then returns Cancelled (or no byte), and
// the handler that waited must return at once without touching its page.

#include "mscomm.h"
#include "protocol.h"
#include "sharedstate.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class QEventLoop;

enum class WaitResult { Done, Cancelled };
enum class InputWait { Arrived, TimedOut, Cancelled };

class Link : public QObject {
    Q_OBJECT
public:
    // Timer1 is the program's one delay timer; the Link makes it a precise one-shot.
    Link(SharedState& state, MSComm& comm, QTimer& timer1, QObject* parent = nullptr);
    ~Link() override;

    SharedState& state() { return m_state; }
    MSComm& comm() { return m_comm; }
    Protocol::Commands commands() const { return {m_state}; }

    qint32 PortExists(qint16 n) const;

    // Opens the port with the shared settings unless it is open already. A port that the system refuses
    // leaves PortIsOpen false and gives the system's reason. An owed speed switch goes out first.
    MSComm::OpenResult OpenPrinterPort(MSComm::Absent absent = MSComm::Absent::Tell);
    void ClosePrinterPort();
    // Opens the port first when it is closed. False when the bytes could not be written.
    bool SendCommand(const QByteArray& command);
    // Waits without a time limit for one byte, reads up to the input length and returns the first byte;
    // the rest of that read is dropped. No byte when the wait was cancelled or the port closed under it.
    std::optional<quint8> ReadReplyByte();
    // Waits until at least `count` bytes are waiting, then reads the buffer once (binary) and returns it.
    std::optional<QByteArray> ReadReplyBlock(int count);

    WaitResult Delay(qint16 ms);
    WaitResult WaitForTimer();
    InputWait WaitForInput();

    // Ends every wait in progress; each returns Cancelled.
    void cancelWaits();
    bool isWaiting() const { return !m_frames.empty(); }
    // The program is ending: every wait in progress is cancelled and every later one returns Cancelled
    // at once (the event loops will not run again).
    void shutDown();
    bool isShutDown() const { return m_shutDown; }

    // The words a technician reads when the port cannot be used.
    QString portFailureText(const QString& reason) const;

signals:
    // The open port failed under the program (a vanished device); the port is closed already.
    void portLost(const QString& message);

private:
    struct WaitFrame {
        QEventLoop* loop;
        std::function<bool()> done;
        bool cancelled = false;
    };
    void payOwedSwitch();
    WaitResult waitUntil(std::function<bool()> done);
    void wake();

    SharedState& m_state;
    MSComm& m_comm;
    QTimer& m_timer1;
    std::vector<WaitFrame*> m_frames;
    bool m_shutDown = false;
};
