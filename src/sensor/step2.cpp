#include "step2.h"

#include "shell/wizard.h"

Step2::Step2(Wizard& wizard) : Page(wizard, Layout::step2(), Lifetime::WholeRun) {}
void Step2::Form_Load() {}
void Step2::Form_Unload() { wizard().endProgram(); }
