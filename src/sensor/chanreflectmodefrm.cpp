#include "chanreflectmodefrm.h"

#include "shell/wizard.h"

ChanReflectModeFrm::ChanReflectModeFrm(Wizard& wizard)
    : Page(wizard, Layout::chanReflectModeFrm(), Lifetime::WholeRun) {}
void ChanReflectModeFrm::Form_Load() {}
void ChanReflectModeFrm::Form_Unload() { wizard().endProgram(); }
