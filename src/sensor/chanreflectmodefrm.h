#pragma once

#include "shell/page.h"

// The opto-sensor mode page.
class ChanReflectModeFrm : public Page {
    Q_OBJECT
public:
    explicit ChanReflectModeFrm(Wizard& wizard);
    void Form_Load() override;
    void Form_Unload() override;
};
