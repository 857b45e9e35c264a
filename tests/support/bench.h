#pragma once

// A service bench for end-to-end tests: a private port folder, simulated printers on pseudo-terminals
// named as COM ports, the wizard with its end routine observed, and message boxes answered as a
// technician would.

#include "ptypair.h"
#include "link/mscomm.h"
#include "simulatedprinter.h"

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class Wizard;

// Records every modal message box that appears and presses a button in it: the next queued answer, or
// OK (or the default button) when nothing is queued.
class MessageBoxes : public QObject {
    Q_OBJECT
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    MessageBoxes();
    void answer(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    // While held, boxes stay open (to test what happens while a box is up).
    void hold(bool held) { m_held = held; }
    const std::vector<Seen>& seen() const { return m_seen; }
    QStringList texts() const;
    void clear() { m_seen.clear(); }

private:
    void look();
    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<Seen> m_seen;
    bool m_held = false;
};

class Bench {
public:
    Bench();  // runs in the help folder, so that HelpDir finds the help pages
    ~Bench();

    Wizard& wizard() { return *m_wizard; }
    MessageBoxes& boxes() { return m_boxes; }
    TestPortFolder& ports() { return m_ports; }
    bool ended() const { return m_ended; }

    // A simulated printer named as COMn.
    Sim::SimulatedPrinter& printer(int n, const Sim::PrinterConfig& config = {});
    Sim::SimulatedPrinter* printerAt(int n);
    // A port that exists but another program holds open.
    void holdBusy(int n);

    // The link settings as if detection had found the printer on COMn (Step1 loaded, Step2 shown).
    void detected(int n, const QString& speed, int handshake);

    // The bytes of every command the printer on COMn heard or ignored, in order, as hex.
    QStringList commandsHex(int n) const;

private:
    TestPortFolder m_ports;
    MessageBoxes m_boxes;
    std::unique_ptr<Wizard> m_wizard;
    std::vector<std::pair<int, std::unique_ptr<Sim::SimulatedPrinter>>> m_printers;
    std::vector<std::unique_ptr<RawPty>> m_busyPtys;
    std::vector<std::unique_ptr<MSComm>> m_holders;
    QString m_oldDir;
    bool m_ended = false;
};
