#pragma once

// veltaro-cli: the wizard's printer work from a terminal or a script. Each command finds the printer
// (the automatic search, or the link given with --port, --speed and --flow), does one thing, leaves the
// printer as it found it and ends with an exit status that says how it went. Progress goes to standard
// error, results to standard output.

#include "link/link.h"
#include "link/mscomm.h"
#include "link/sharedstate.h"
#include "printer/outcome.h"

#include <QString>
#include <QTimer>

#include <functional>

namespace Cli {

enum Exit {
    kDone = 0,
    kNoPrinter = 1,      // no printer found, or it did not answer
    kNotWritten = 1,     // the record could not be written (what was asked for on standard output is there)
    kFirmwareLoader = 2, // the printer must be flashed
    kPortUnusable = 3,   // busy, missing, no permission: the system's reason is on standard error
    kRefused = 4,        // paper in the printer, extension absent
    kUsage = 64,
    kInterrupted = 130,
};

// The link a technician gives instead of a search: all three or none.
struct LinkChoice {
    qint16 port = 0;
    QString speed;
    qint16 handshake = 0; // 1 XON/XOFF, 2 hardware
    qint16 named = 0;     // the port that --port named by its device or address, with or without a link
    bool given() const { return port != 0; }
};

QString flowName(qint16 handshake);

// The program's one port object, delay timer and link, as the wizard's detection page holds them.
class Session {
public:
    Session();
    ~Session();

    Link& link() { return m_link; }
    SharedState& state() { return m_state; }
    bool interrupted() const { return m_interrupted; }
    // Ctrl-C or SIGTERM: every wait in progress and every later one ends at once; the command then
    // tidies up (the printer's speed, the port) as at a normal end.
    void interrupt();
    // Also run on an interrupt, for a command that waits in an event loop of its own.
    void setInterruptHandler(std::function<void()> handler) { m_onInterrupt = std::move(handler); }

    // Finds the printer, or takes the given link as it is. Returns kDone or the exit status to end with.
    int connect(const LinkChoice& choice);
    // A port named by its device that the system does not have ends the run before anything is tried,
    // in the system's words as its open gives them. Returns kDone or the exit status to end with.
    int requireDevice(qint16 port);
    // Runs `read` with a limit on the printer's silence: NoAnswer when it is silent for `limitMs`.
    template <class R> R withReplyLimit(int limitMs, const std::function<R()>& read);
    // The exit status for a failed step, after saying why on standard error.
    int fail(const Printer::Status& status, const QString& silentText = {});

private:
    SharedState m_state;
    MSComm m_comm;
    QTimer m_timer1;
    Link m_link;
    bool m_interrupted = false;
    qint16 m_namedPort = 0; // named by its device on the command line, and said so
    std::function<void()> m_onInterrupt;
};

template <class R> R Session::withReplyLimit(int limitMs, const std::function<R()>& read) {
    bool silent = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &m_link, [&] {
        silent = true;
        m_link.cancelWaits();
    });
    limit.start(limitMs);
    R result = read();
    if (silent && result.outcome == Printer::Outcome::Cancelled) {
        result.outcome = Printer::Outcome::NoAnswer;
        m_link.ClosePrinterPort();
    }
    return result;
}

void printError(const QString& text);
void printOut(const QString& text);

// What the tool says of a printer stuck in its firmware loader.
QString firmwareLoaderText();

// The COM number a remote port or a device named on the command line goes by in every text: the one the
// ports give it now, or else one lent for this run (`*lent` set): the first number that names nothing,
// COM6 when all six do (its own device is then out of this run's sight).
qint16 portNumberFor(const QString& device, bool* lent = nullptr);

} // namespace Cli
