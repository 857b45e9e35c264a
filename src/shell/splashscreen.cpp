#include "splashscreen.h"

#include "wizard.h"

SplashScreen::SplashScreen(Wizard& wizard) : Page(wizard, Layout::splashScreen(), Lifetime::WholeRun) {}
void SplashScreen::start() {}
