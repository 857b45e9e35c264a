#pragma once

#include "shell/page.h"

#include <optional>

class PrinterExchange;
class QPushButton;

// The calibration page. The printer calibrates the sensor chosen on Step2 by itself; the page checks the
// paper first (printer sensor only), starts the calibration and waits for the printer's end mark. One
// calibration per opening of the page.
class Step3 : public Page {
    Q_OBJECT
public:
    explicit Step3(Wizard& wizard);
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

    enum class Paper { Clear, Present, Failed, Cancelled };

    bool nearEndSelected() const;
    QString readyHelp() const;
    Paper checkPaper(PrinterExchange& exchange);
    std::optional<quint8> waitWithPatience(PrinterExchange& exchange);
    void backToReady();

    int m_patienceMs = 20000;
};
