#include "splashscreen.h"

#include "pagehost.h"
#include "record/identity.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace {
constexpr int kShownMs = 1500;
}

SplashScreen::SplashScreen(PageHost& wizard)
    : Page(wizard, Layout::splashScreen(), Lifetime::WholeRun), Rev(control<QLabel>("Rev")),
      Timer(control<QTimer>("Timer")) {
    Timer->setSingleShot(true);
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &SplashScreen::Timer_Timer);
}

void SplashScreen::Form_Load() {
    Timer->start(kShownMs);
    Rev->setText(QStringLiteral("Rev: ") + Identity::kVersionText);
}

void SplashScreen::start() {
    LayoutBuilder::centre(this);
    show();
}

void SplashScreen::Timer_Timer() {
    Timer->stop();
    hide();
    if (wizard().isEnding()) return;
    wizard().page(PageId::Step1).show();
}

// Swallowed, so that no click or key reaches anything that might act on it.
void SplashScreen::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void SplashScreen::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void SplashScreen::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
void SplashScreen::keyPressEvent(QKeyEvent* event) {
    event->accept();
}
