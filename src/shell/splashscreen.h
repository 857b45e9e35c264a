#pragma once

#include "page.h"
#include "pagehost.h"

class QLabel;
class QTimer;

// The splash window shown at start: the picture and the version for 1.5 seconds, then the detection
// page. It takes no part in the rest of the run: hidden for good, deaf to clicks and keys, and its
// close box (none is drawn, but a desktop may still ask) does nothing.
class SplashScreen : public Page {
    Q_OBJECT
public:
    static constexpr PageId kPageId = PageId::SplashScreen;
    explicit SplashScreen(PageHost& wizard);

    void Form_Load() override;
    // Shows the splash in the middle of the screen; its timer then hands over to Step1.
    void start();

    QLabel* Rev;
    QTimer* Timer;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Timer_Timer();
};
