#pragma once

#include "shell/page.h"

// The port selection page: manual detection, and home of the automatic search and the probe.
class PortSelection : public Page {
    Q_OBJECT
public:
    explicit PortSelection(Wizard& wizard);
    void Form_Load() override;
    void Form_Unload() override;
};
