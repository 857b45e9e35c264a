#pragma once

#include "shell/page.h"

// The calibration page.
class Step3 : public Page {
    Q_OBJECT
public:
    explicit Step3(Wizard& wizard);
    void Form_Load() override;
    void Form_Unload() override;
};
