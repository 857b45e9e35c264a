#pragma once

#include "link/link.h"
#include "printer/detector.h"
#include "shell/page.h"
#include "shell/pagehost.h"

#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The port selection page: manual detection, and home of the automatic search and the probe, which the
// detector does on Step1's serial port object. Their progress goes to DetectedPrinter, which is copied to
// Step1's status line while Step1 is visible.
class PortSelection : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::PortSelection;
    explicit PortSelection(PageHost& wizard);
    void Form_Load() override;
    void Form_Unload() override;

    // Positions of the handshake list; position p is the probe's handshake index (flow control p + 1).
    enum HandshakeEntry { XonXoffEntry = 0, HardwareEntry = 1 };

    // Searches COM1..COM6 at every speed, fastest first, and probes the first printer that answers.
    // PrinterFound tells the caller the result. A printer stuck in its firmware loader ends the program.
    void Autodetect_Click();

    // Asks for the printer's name and flow control on one port at one speed; on an answer makes them
    // the link settings and announces the printer.
    Printer::Detector::Detection ProbePrinter(qint16 port, const QString& speed, qint16 handshakeIndex);
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

    void DetectSerialPrinter_Click();
    void DetectedPrinter_Change();
    void Back_Click();
    void Next_Click();
    void Exit_Click();

    QRadioButton* portButton(int n) const { return m_portButtons[std::size_t(n - 1)]; }
    Link& link() const;
    SharedState& state() const;
    void describePorts();
    QWidget* boxParent();
    void showFirmwareLoader();

    std::array<QRadioButton*, 6> m_portButtons;
    Printer::Detector m_detector;
    Work m_work = Work::Idle;
};
