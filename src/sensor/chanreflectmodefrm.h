#pragma once

#include "shell/page.h"
#include "shell/pagehost.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The opto-sensor mode page: reads whether the printer's paper sensor works reflective or transmissive,
// lets the technician change it, and writes it back before the calibration.
class ChanReflectModeFrm : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::ChanReflectModeFrm;
    explicit ChanReflectModeFrm(PageHost& wizard);
    void Form_Load() override;
    void Form_Unload() override;

    // Reads the mode now set in the printer and shows it; called each time the page is shown from Step2.
    void Init();

    // The mode to write: 0 reflective, 1 transmissive.
    quint8 SensorMode = 0;

    HelpPane* WebBrowser;
    QGroupBox* Frame1;
    QLabel* Picture1;
    QRadioButton* Reflect;
    QGroupBox* Frame2;
    QLabel* Picture2;
    QRadioButton* Transmit;
    QPushButton* Exit;
    QPushButton* Back;
    QPushButton* Next;

private:
    void Reflect_Click();
    void Transmit_Click();
    void ShowSensorMode();
    void Next_Click();
    void Back_Click();
    void Exit_Click();

    void forgetMode();
    void updateNext();

    bool m_reading = false;   // Init waits for the printer's parameter block
    bool m_modeKnown = false; // read from the printer, or chosen by the technician
};
