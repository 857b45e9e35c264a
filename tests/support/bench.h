#pragma once

// Benches for tests against simulated printers on pseudo-terminals named as COM ports in a private port
// folder: CoreBench for the printer core without windows, Bench for the wizard, whose end routine it
// observes and whose message boxes it answers as a technician would.

#include "link/link.h"
#include "ptypair.h"
#include "simulatedprinter.h"

#include <QMessageBox>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class Wizard;

// Records every modal message box that appears and presses a button in it: the next queued answer, or
// the default button (OK when there is none).
class MessageBoxes {
public:
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    MessageBoxes();
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    const std::vector<Seen>& seen() const { return m_seen; }
    QStringList texts() const;

private:
    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<Seen> m_seen;
};

// The port folder and what is named in it.
class PrinterBench {
public:
    TestPortFolder& ports() { return m_ports; }
    Sim::SimulatedPrinter& printer(int n, const Sim::PrinterConfig& config = {});
    Sim::SimulatedPrinter* printerAt(int n) const;
    void holdBusy(int n); // a port that exists but another program holds open
    // Every command the printer on COMn heard or ignored, in order: "1b 76", or with heard()
    // "1b 76 @9600" and " hw" when hardware flow control was on.
    QStringList commandsHex(int n) const { return listed(n, false); }
    QStringList heard(int n) const { return listed(n, true); }

private:
    QStringList listed(int n, bool withLine) const;
    struct Busy {
        RawPty pty;
        MSComm holder;
    };
    TestPortFolder m_ports;
    std::vector<std::pair<int, std::unique_ptr<Sim::SimulatedPrinter>>> m_printers;
    std::vector<std::unique_ptr<Busy>> m_busy;
};

// Runs the action once from the event loop, soon after the printer has heard the command the n-th time
// (inside the wait for its reply when the reply is slow).
void onCommand(Sim::SimulatedPrinter& printer, const QByteArray& command, std::function<void()> action,
               int n = 1);
// The printer core as the detection page holds it: the command prefixes, and the link settings of a
// printer found on COM3 at 9600 with XON/XOFF.
struct CoreBench : PrinterBench {
    CoreBench();
    SharedState state;
    MSComm comm;
    QTimer timer1;
    Link link{state, comm, timer1};
};

class Bench : public PrinterBench {
public:
    Bench(); // runs in the help folder, so that HelpDir finds the help pages
    ~Bench();
    Wizard& wizard() { return *m_wizard; }
    MessageBoxes& boxes() { return m_boxes; }
    bool ended() const { return m_ended; }
    // The link settings as if detection had found the printer on COMn (Step1 loaded, Step2 shown).
    void detected(int n, const QString& speed, int handshake);
    QStringList shownPages(); // the wizard pages now visible, by name
    // Neither the shared state nor the port object holds the port, and no wait is in progress.
    bool portClosedAndIdle();

private:
    MessageBoxes m_boxes;
    std::unique_ptr<Wizard> m_wizard;
    QString m_oldDir;
    bool m_ended = false;
};
