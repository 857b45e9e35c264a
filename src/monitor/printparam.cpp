#include "printparam.h"

#include "shell/wizard.h"

PrintParam::PrintParam(Wizard& wizard) : Page(wizard, Layout::printParam(), Lifetime::UnloadedWhenLeft) {}
void PrintParam::Form_Load() {}
