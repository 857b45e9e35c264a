#pragma once

#include "page.h"

// The help window, opened beside the pages.
class HelpFrm : public Page {
    Q_OBJECT
public:
    explicit HelpFrm(Wizard& wizard);
};
