#pragma once

#include "link/portnames.h"
#include "outcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class Link;
class MSComm;
struct SharedState;

namespace Printer {

// Finding the printer. The automatic search wakes every port with a NUL at 57600, looks on each for a
// printer stuck in its firmware loader, then tries every port at every speed, fastest first, and probes
// the first printer that answers; the probe asks one port at one speed for the printer's name and the
// flow control it runs with. Both drive the port object directly with settings of their own (never the
// shared link settings), wait only for bounded times, and leave the port closed when they return. The
// status texts the technician reads come as progress(); the result says what was found.
class Detector : public QObject {
    Q_OBJECT
public:
    static constexpr qint16 kFirstPort = PortNames::kFirstPort;
    static constexpr qint16 kLastPort = PortNames::kLastPort;
    // Handshake numbers: 1 XON/XOFF, 2 hardware.
    static constexpr qint16 kXonXoff = 1;
    static constexpr qint16 kHardware = 2;

    struct Found {
        QByteArray identification; // the printer's reply to ESC I
        QString name;
        qint16 port = 0;
        QString speed;
        qint16 handshake = 0;
    };
    struct Detection : Status {
        QString status; // the last status text: what was found, or that nothing was
        Found printer;
    };
    // Called when a printer has answered the probe, while its port is still open; the caller may show
    // it and wait (the waits may be cancelled meanwhile).
    using Announce = std::function<void(const Found&)>;

    explicit Detector(Link& link, QObject* parent = nullptr);

    void setAnnounce(Announce announce) { m_announce = std::move(announce); }

    // Done: found, and the link settings (PrinterPort, PrinterSpeed, PrinterHandshake) are the
    // printer's. NoAnswer: nothing found. FirmwareLoader: the printer must be flashed. Cancelled.
    Detection search();
    // The probe with handshake 1 (XON/XOFF) or 2 (hardware) for its first look. PortProblem: the port
    // could not be used (the status says no printer was found there).
    Detection probe(qint16 port, const QString& speed, qint16 handshake);

    // Ends the search or probe in progress at its next step; its waits are cancelled.
    void stop();
    bool running() const { return m_running; }

signals:
    void progress(const QString& status);
    // The presence test got its answer on this port at this speed (the probe follows).
    void answeredAt(qint16 port, const QString& speed);
    // The probe learnt the printer's flow control.
    void flowControlLearnt(qint16 handshake);

private:
    enum class Presence { NoAnswer, Answered, Stopped };

    MSComm& comm() const;
    SharedState& state() const;
    bool stopRequested() const;
    bool stopped(bool cancelled) const { return cancelled || stopRequested(); }
    bool delay(qint16 ms);
    bool openAt(qint16 port, const QString& speed, int handshaking, QString* reason = nullptr);
    void giveUpPort();

    bool wakeUpPorts();
    Outcome checkFirmwareLoader();
    Presence testPresence(qint16 port, const QString& speed);
    Detection probeOnce(qint16 port, const QString& speed, qint16 handshake);

    Link& m_link;
    Announce m_announce;
    bool m_stopRequested = false;
    bool m_running = false;
};

// The port as the status texts write it: the one digit after "COM".
QString portDigit(qint16 port);

} // namespace Printer
