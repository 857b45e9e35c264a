#pragma once

#include "shell/page.h"

// The live monitor page.
class MonitorFrm : public Page {
    Q_OBJECT
public:
    explicit MonitorFrm(Wizard& wizard);
    void Form_Load() override;
    void Form_Unload() override;
};
