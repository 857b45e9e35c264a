#include "monitorfrm.h"

#include "shell/wizard.h"

MonitorFrm::MonitorFrm(Wizard& wizard) : Page(wizard, Layout::monitorFrm(), Lifetime::UnloadedWhenLeft) {}
void MonitorFrm::Form_Load() {}
void MonitorFrm::Form_Unload() {}
