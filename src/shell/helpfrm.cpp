#include "helpfrm.h"

#include "wizard.h"

#include <QPushButton>

HelpFrm::HelpFrm(Wizard& wizard) : Page(wizard, Layout::helpFrm(), Lifetime::UnloadedWhenLeft) {
    connect(control<QPushButton>("Close"), &QPushButton::clicked, this,
            [this] { this->wizard().unload(this); });
}
