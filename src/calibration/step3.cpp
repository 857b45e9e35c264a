#include "step3.h"

#include "shell/wizard.h"

Step3::Step3(Wizard& wizard) : Page(wizard, Layout::step3(), Lifetime::UnloadedWhenLeft) {}
void Step3::Form_Load() {}
void Step3::Form_Unload() {}
