// veltaro-screenshots: renders every window of the wizard to PNG files, headless, the way a technician
// meets them in a run against the simulated printer on COM3. Used by scripts/screenshots; not a test.
//
//   veltaro-screenshots [output folder]    (default: docs/screenshots of the source tree)
//
// It walks the wizard through its own buttons, so each page shows what its handlers put there. A step
// whose control cannot be found is reported and the window is still rendered as it stands.
#include "support/bench.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "record/identity.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/helpfrm.h"
#include "shell/splashscreen.h"
#include "wizard/wizard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

constexpr int kPort = 3;
constexpr int kSweepMs = 1500; // the monitor draws for this long before it is rendered
constexpr int kStepTimeoutMs = 15000;

QString g_folder;
QString g_startFolder; // where the program was started, for the file names it prints
int g_problems = 0;

void problem(const QString& text) {
    std::fprintf(stderr, "veltaro-screenshots: %s\n", qPrintable(text));
    ++g_problems;
}

// Lets the pages work (and the printer answer) until the condition holds.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = kStepTimeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QTest::qWait(20);
    }
    return true;
}

void settle(int ms = 150) {
    QTest::qWait(ms);
}

void save(const QImage& image, const QString& name) {
    const QString path = g_folder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!image.save(path))
        problem(QStringLiteral("cannot write %1").arg(path));
    else
        std::printf("%s\n", qPrintable(QDir(g_startFolder).relativeFilePath(path)));
}

void shoot(QWidget* window, const QString& name) {
    if (!window) {
        problem(QStringLiteral("no window for %1").arg(name));
        return;
    }
    settle();
    save(window->grab().toImage(), name);
}

// Several windows as they stand on the screen, side by side.
void shootTogether(const QList<QWidget*>& windows, const QString& name) {
    settle();
    QRect bounds;
    for (QWidget* w : windows)
        bounds |= w->geometry();
    QImage image(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (QWidget* w : windows)
        painter.drawPixmap(w->geometry().topLeft() - bounds.topLeft(), w->grab());
    painter.end();
    save(image, name);
}

template <class T> T* find(QWidget* page, const char* name) {
    T* w = page ? page->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!w) problem(QStringLiteral("%1 has no %2").arg(page ? page->objectName() : "(none)", name));
    return w;
}

void click(QWidget* page, const char* name) {
    if (auto* button = find<QAbstractButton>(page, name)) button->click();
}

void choose(QWidget* page, const char* list, const QString& entry) {
    if (auto* combo = find<QComboBox>(page, list)) {
        const int index = combo->findText(entry);
        if (index >= 0)
            combo->setCurrentIndex(index);
        else
            problem(QStringLiteral("%1 has no entry %2").arg(list, entry));
    }
}

bool visible(QWidget* w) {
    return w && w->isVisible();
}

void splash(Wizard& wizard) {
    SplashScreen& splash = wizard.splashScreen();
    splash.start();
    shoot(&splash, "splash");
    // The rest is shown page by page below, not by the splash's timer.
    splash.Timer->stop();
    splash.hide();
}

void detection(Bench& bench) {
    Wizard& wizard = bench.wizard();
    wizard.step1().show();
    shoot(&wizard.step1(), "step1");
    wizard.step1().hide();

    // Manual detection of the printer on COM3 at its speed: the page reports what it found.
    Page& ports = wizard.portSelection();
    ports.show();
    click(&ports, "COM3");
    choose(&ports, "serialspeed", QStringLiteral("9600"));
    choose(&ports, "serialhandshakeconf", QStringLiteral("Xon-Xoff"));
    click(&ports, "DetectSerialPrinter");
    if (!waitFor([&] { return wizard.state().PrinterFound; }))
        problem("the port selection page found no printer");
    shoot(&ports, "portselection");
    ports.hide();
}

void calibration(Bench& bench) {
    Wizard& wizard = bench.wizard();
    bench.detected(kPort, QStringLiteral("9600"), 1);
    Page& step2 = wizard.step2();
    shoot(&step2, "step2");

    click(&step2, "PrinterOpto");
    click(&step2, "Calibrate");
    click(&step2, "Next");
    QWidget* mode = wizard.loadedChanReflectModeFrm();
    if (!waitFor([&] { return visible(mode) && !wizard.link().isWaiting(); }))
        problem("the opto-sensor mode page did not open");
    shoot(mode, "chanreflectmodefrm");

    click(mode, "Next");
    if (!waitFor([&] { return visible(wizard.loadedStep3()) && !wizard.link().isWaiting(); }))
        problem("the calibration page did not open");
    shoot(wizard.loadedStep3(), "step3");
    click(wizard.loadedStep3(), "Back");
    waitFor([&] { return step2.isVisible(); });
}

void monitoring(Bench& bench) {
    Wizard& wizard = bench.wizard();
    bench.printerAt(kPort)->setPaperPresent(true); // paper with marks passing the sensor
    Page& step2 = wizard.step2();
    step2.show();
    click(&step2, "PrinterOpto");
    click(&step2, "Monitor");
    click(&step2, "Next");
    if (!waitFor([&] { return visible(wizard.loadedMonitorFrm()); })) {
        problem("the monitor page did not open");
        return;
    }
    QTest::qWait(kSweepMs);
    click(wizard.loadedMonitorFrm(), "CheckParam");
    if (!waitFor([&] { return visible(wizard.loadedPrintParam()); }))
        problem("the parameter sheet did not open");
    QTest::qWait(300);
    if (PrintParam* sheet = wizard.loadedPrintParam()) {
        shootTogether({wizard.loadedMonitorFrm(), sheet}, "monitorfrm");
        shoot(sheet, "printparam");
    } else {
        shoot(wizard.loadedMonitorFrm(), "monitorfrm");
    }
}

void help(Wizard& wizard) {
    wizard.openHelpWindow();
    shoot(wizard.loadedHelpFrm(), "helpfrm");
}

} // namespace

int main(int argc, char** argv) {
    // Headless unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Identity::applyToApplication();
    QApplication::setQuitOnLastWindowClosed(false);
    g_folder = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1])
                             : QStringLiteral(VELTARO_SOURCE_DIR "/docs/screenshots"))
                   .absolutePath();
    QDir().mkpath(g_folder);
    g_startFolder = QDir::currentPath();

    Bench bench; // in the help folder, with a private port folder
    bench.printer(kPort);
    splash(bench.wizard());
    detection(bench);
    calibration(bench);
    monitoring(bench);
    help(bench.wizard());
    bench.wizard().endProgram();
    return g_problems == 0 ? 0 : 1;
}
