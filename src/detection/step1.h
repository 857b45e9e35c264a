#pragma once

#include "link/link.h"
#include "link/mscomm.h"
#include "shell/page.h"
#include "shell/pagehost.h"

class QLabel;
class QPushButton;
class QTimer;

// The detection page: the first page of the wizard, and home of the program's one serial port object and
// its one delay timer, which live as long as the program. Its Start button runs the automatic search of
// the port selection page; the search's progress reaches ScanStatus through that page.
class Step1 : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::Step1;
    explicit Step1(PageHost& wizard);

    void Form_Load() override;
    void Form_Unload() override;

    Link& link() { return m_link; }
    MSComm& comm() { return m_comm; }

    HelpPane* WebBrowser;
    QLabel* ScanStatus;
    QPushButton* Exit;
    QPushButton* ManualDetect;
    QPushButton* Start;
    QTimer* Timer1;

private:
    enum class ButtonRow { ExitAndStart, WithManualDetect };

    void Start_Click();
    void ManualDetect_Click();
    void Exit_Click();
    void useButtonRow(ButtonRow row);
    void showNotFound();

    MSComm m_comm;
    Link m_link;
};
