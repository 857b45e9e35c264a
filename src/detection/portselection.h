#pragma once

#include "link/link.h"
#include "shell/page.h"

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The port selection page: manual detection, and home of the automatic search and the probe. Both drive
// Step1's serial port object directly with settings of their own (never through OpenPrinterPort) and
// leave it closed when they return. Their progress goes to DetectedPrinter, which is copied to Step1's
// status line while Step1 is visible.
class PortSelection : public Page {
    Q_OBJECT
public:
    explicit PortSelection(Wizard& wizard);
    void Form_Load() override;
    void Form_Unload() override;

    // Positions of the handshake list; position p is the probe's handshake index (flow control p + 1).
    enum HandshakeEntry { XonXoffEntry = 0, HardwareEntry = 1 };

    // Searches COM1..COM6 at every speed, fastest first, and probes the first printer that answers.
    // PrinterFound tells the caller the result. A printer stuck in its firmware loader ends the program.
    void Autodetect_Click();

    struct ProbeResult {
        QString status;         // the one-line status text for DetectedPrinter
        QString portProblem;    // the port could not be used: what to tell the technician
        bool abandoned = false; // the waits were cancelled: the caller returns without further ado
    };
    // Asks for the printer's name and flow control on one port at one speed; on an answer makes them
    // the link settings and announces the printer.
    ProbeResult ProbePrinter(qint16 port, const QString& speed, qint16 handshakeIndex);
    void ReportPrinterFound(const QByteArray& reply);
    void ClearPrinterFound();
    void SetBusy(bool busy);

    // The detection status line. Every change of its text runs DetectedPrinter_Change.
    void setDetectedPrinter(const QString& text);

    HelpPane* WebBrowser;
    QLabel* DetectedPrinter;
    QComboBox* serialspeed;
    QComboBox* serialhandshakeconf;
    QPushButton* DetectSerialPrinter;
    QPushButton* Back;
    QPushButton* Next;
    QPushButton* Exit;

signals:
    void detectedPrinterChanged(const QString& text);

private:
    enum class Work { Idle, Probing, Searching };
    enum class BiosCheck { NoLoader, LoaderFound, Stopped };
    enum class Presence { NoAnswer, Answered, Stopped };
    struct ScanResult {
        bool stopped = false;
        qint16 port = 0;
        QString speed;
    };

    void DetectSerialPrinter_Click();
    void DetectedPrinter_Change();
    void Back_Click();
    void Next_Click();
    void Exit_Click();

    static constexpr int kReadLength = 100; // the longest read the detection routines take at once
    // The port as the status texts write it: the one digit after "COM".
    static QString portDigit(qint16 port) { return QString(QChar(48 + port)); }

    QRadioButton* portButton(int n) const { return m_portButtons[std::size_t(n - 1)]; }
    Link& link() const;
    MSComm& comm() const;
    SharedState& state() const;

    // The detection routines' way of opening the port: port, speed, flow control, text mode, empty buffer.
    MSComm::OpenResult openAt(qint16 port, const QString& speed, int handshaking);
    bool stopRequested() const;
    bool stopped(WaitResult wait) const { return wait == WaitResult::Cancelled || stopRequested(); }
    void giveUpPort();
    void describePorts();
    QWidget* boxParent();

    // The steps of the automatic search (autodetect.cpp).
    bool wakeUpPorts(); // false when the search must stop
    BiosCheck checkBiosMode();
    void reportFirmwareLoader();
    ScanResult scanSpeedsAndPorts();
    Presence testPresence(qint16 port, const QString& speed);
    void giveUpSearch();

    std::array<QRadioButton*, 6> m_portButtons;
    Work m_work = Work::Idle;
    // Set when the page is left towards a page that uses the port while a probe or search runs; seen
    // after every wait, also where the cancel could not reach a wait (inside a plain event pass).
    bool m_stopRequested = false;
};
