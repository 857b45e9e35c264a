#pragma once

#include "shell/page.h"
#include "shell/pagehost.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

// The sensor and action page. The choice of sensor and action lives only in its four options; the pages
// after it read the sensor from PrinterOpto and NEOPOpto.
class Step2 : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::Step2;
    explicit Step2(PageHost& wizard);

    // The reset: runs when the page is created, and again each time detection finds a printer.
    void Form_Load() override;
    void Form_Unload() override;

    HelpPane* WebBrowser;
    QGroupBox* Frame1;
    QRadioButton* PrinterOpto;
    QRadioButton* NEOPOpto;
    QGroupBox* Frame2;
    QRadioButton* Monitor;
    QRadioButton* Calibrate;
    QPushButton* Exit;
    QPushButton* Back;
    QPushButton* Next;
    QPushButton* HelpButton;

private:
    enum class Extension { Fitted, Absent, Unknown };

    void PrinterOpto_Click();
    void NEOPOpto_Click();
    void Next_Click();
    void Back_Click();
    void Exit_Click();
    void HelpButton_Click();

    Extension checkExtension();
    void endExtensionCheck();
    bool selectionComplete() const;
    void route();

    bool m_checkingExtension = false;
};
