#pragma once

#include "page.h"
#include "pagehost.h"

// The help window, opened beside the pages.
class HelpFrm : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::HelpFrm;
    explicit HelpFrm(PageHost& wizard);
};
