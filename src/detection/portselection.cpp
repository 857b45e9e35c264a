#include "portselection.h"

#include "shell/wizard.h"

PortSelection::PortSelection(Wizard& wizard) : Page(wizard, Layout::portSelection(), Lifetime::WholeRun) {}
void PortSelection::Form_Load() {}
void PortSelection::Form_Unload() { wizard().endProgram(); }
