#pragma once

#include "printer/calibration.h"
#include "shell/page.h"
#include "shell/pagehost.h"

#include <QPointer>

class QPushButton;

// The calibration page. The printer calibrates the sensor chosen on Step2 by itself; the page checks the
// paper first (printer sensor only), starts the calibration and waits for the printer's end mark. One
// calibration per opening of the page.
class Step3 : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::Step3;
    explicit Step3(PageHost& wizard);
    void Form_Load() override;
    void Form_Unload() override;

    // When the printer has been silent this long in a wait, Back and Exit come back so that the
    // technician is not left with the close box alone. The wait itself goes on.
    void setPatienceMs(int ms) { m_patienceMs = ms; }

    HelpPane* WebBrowser;
    QPushButton* Exit;
    QPushButton* Back;
    QPushButton* Calibrate;

private:
    void Calibrate_Click();
    void Back_Click();
    void Exit_Click();

    bool nearEndSelected() const;
    QString readyHelp() const;
    Printer::Calibration::PaperDecision askAboutPaper(const QPointer<Step3>& self);
    void backToReady();

    int m_patienceMs = 20000;
};
