#include "helpfrm.h"

#include "pagehost.h"

#include <QPushButton>

HelpFrm::HelpFrm(PageHost& wizard) : Page(wizard, Layout::helpFrm(), Lifetime::UnloadedWhenLeft) {
    connect(control<QPushButton>("Close"), &QPushButton::clicked, this,
            [this] { this->wizard().unload(this); });
}
