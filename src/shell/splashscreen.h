#pragma once

#include "page.h"

// The splash window shown at start.
class SplashScreen : public Page {
    Q_OBJECT
public:
    explicit SplashScreen(Wizard& wizard);
    void start();
};
