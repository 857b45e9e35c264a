#pragma once

#include "shell/page.h"

// The parameter sheet beside the monitor.
class PrintParam : public Page {
    Q_OBJECT
public:
    explicit PrintParam(Wizard& wizard);
    void Form_Load() override;
};
