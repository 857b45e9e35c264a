#pragma once

// Simulated printers on pseudo-terminals named as COM ports in a private port folder; Bench adds the wizard,
// observes its end routine and answers its message boxes as a technician would.

#include "link/link.h"
#include "ptypair.h"
#include "ser2net.h"
#include "simulatedprinter.h"

#include <QMessageBox>

class Wizard;

// Records every modal message box and presses a button in it: the next queued answer, or the default.
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
    QStringList texts() const { return m_texts; }

private:
    QTimer m_timer;
    QList<QMessageBox::StandardButton> m_answers;
    std::vector<Seen> m_seen;
    QStringList m_texts;
};

class PrinterBench {
public:
    TestPortFolder& ports() { return m_ports; }
    Sim::SimulatedPrinter& printer(int n, const Sim::PrinterConfig& config = {}) {
        auto& printer = m_printers.emplace_back(n, std::make_unique<Sim::SimulatedPrinter>(config)).second;
        printer->attach(m_ports.path(), n);
        return *printer;
    }
    // A printer behind a real ser2net on loopback: port n is the server's address, the printer's own
    // pseudo-terminal is named in a folder of its own. Null when ser2net did not start.
    Sim::SimulatedPrinter* remotePrinter(int n, const Sim::PrinterConfig& config = {},
                                         Ser2Net::Accepter accepter = Ser2Net::Accepter::Rfc2217) {
        auto& printer = m_printers.emplace_back(n, std::make_unique<Sim::SimulatedPrinter>(config)).second;
        printer->attach(m_farSide.path(), n);
        Ser2Net& server =
            *m_servers.emplace_back(n, std::make_unique<Ser2Net>(printer->devicePath(), accepter)).second;
        m_ports.setRemote(n, server.url());
        return server.isListening() ? printer.get() : nullptr;
    }
    Ser2Net* serverAt(int n) const {
        for (auto& [port, server] : m_servers)
            if (port == n) return server.get();
        return nullptr;
    }
    Sim::SimulatedPrinter* printerAt(int n) const {
        for (auto& [port, printer] : m_printers)
            if (port == n) return printer.get();
        return nullptr;
    }
    // A port that exists but another program holds open.
    void holdBusy(int n) {
        Busy& busy = *m_busy.emplace_back(std::make_unique<Busy>());
        m_ports.setPort(n, busy.pty.slavePath());
        busy.holder.setCommPort(n);
        busy.holder.open();
    }
    // What the printer on COMn heard or ignored, in order: "1b 76", or "1b 76 @9600 hw" with the line.
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
    QTemporaryDir m_farSide;
    std::vector<std::pair<int, std::unique_ptr<Ser2Net>>> m_servers; // before the printers they serve go
};

// Runs the action from the event loop once the printer has heard the command the n-th time.
inline void onCommand(Sim::SimulatedPrinter& printer, const QByteArray& command, std::function<void()> action,
                      int n = 1) {
    auto left = std::make_shared<int>(n);
    QObject::connect(&printer, &Sim::SimulatedPrinter::commandReceived, &printer, [=](const auto& entry) {
        if (entry.bytes == command && --*left == 0) QTimer::singleShot(0, action);
    });
}

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
    bool portClosedAndIdle(); // neither the shared state nor the port object holds it; no wait goes on

private:
    MessageBoxes m_boxes;
    std::unique_ptr<Wizard> m_wizard;
    QString m_oldDir;
    bool m_ended = false;
};
