#pragma once

#include "shell/page.h"

// The sensor and action page.
class Step2 : public Page {
    Q_OBJECT
public:
    explicit Step2(Wizard& wizard);
    void Form_Load() override;
    void Form_Unload() override;
};
