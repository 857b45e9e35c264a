#include "wizard.h"

#include "endrequests.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "shell/helpfrm.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "shell/splashscreen.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QSessionManager>
#include <QThread>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

namespace {
// How soon an unloaded page is looked at again while a handler may still be suspended under it.
constexpr int kDeleteRetryMs = 50;

// A handler of an unloaded page may be suspended below the running code: in a wait of the link, or in
// any event loop inside the main one (a message box). Qt's own deleteLater would delete the page inside
// such a loop, under the handler.
bool handlerMayBeSuspended(Step1* step1) {
    return (step1 && step1->link().isWaiting()) || QThread::currentThread()->loopLevel() > 1;
}
} // namespace

Wizard::Wizard(QObject* parent) : QObject(parent), m_endRoutine([] { QCoreApplication::quit(); }) {
    // The pictures live in the core library; a static library's resources are there only when asked for.
    Q_INIT_RESOURCE(resources);
    useDialogFont();
    m_deleteTimer.setSingleShot(true);
    connect(&m_deleteTimer, &QTimer::timeout, this, &Wizard::deleteUnloaded);
}

void Wizard::useDialogFont() {
#ifndef Q_OS_WIN
    // The window tables are measured for a small, narrow dialog font: the captions fill their buttons
    // and options almost to the edge. Linux desktops default to wider faces that would cut the last
    // letters off ("Check Parameters", "Baudrate:"), so the wizard takes a condensed face at 8 pt.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStretch(QFont::SemiCondensed);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    QApplication::setFont(font);
#endif
}

Wizard::~Wizard() {
    m_ending = true;
    for (const QPointer<Page>& page : m_unloaded)
        delete page.data();
    // Windows go first, Step1 (and with it the port) last: the other pages may still reach the link.
    const QList<QWidget*> pages{m_helpFrm, m_printParam,    m_monitorFrm, m_step3, m_chanReflectModeFrm,
                                m_step2,   m_portSelection, m_splash};
    for (QWidget* page : pages)
        delete page;
    delete m_step1;
}

template <class T> T& Wizard::load(QPointer<T>& slot) {
    if (!slot) {
        // The page itself, not the slot, is handed back: Form_Load may wait, and the page may be
        // unloaded (the slot cleared) before it returns.
        T* page = new T(*this);
        slot = page;
        page->Form_Load();
        return *page;
    }
    return *slot;
}

Link& Wizard::link() {
    return step1().link();
}
SplashScreen& Wizard::splashScreen() {
    return load(m_splash);
}
Step1& Wizard::step1() {
    return load(m_step1);
}
PortSelection& Wizard::portSelection() {
    return load(m_portSelection);
}
Step2& Wizard::step2() {
    return load(m_step2);
}
ChanReflectModeFrm& Wizard::chanReflectModeFrm() {
    return load(m_chanReflectModeFrm);
}
Step3& Wizard::step3() {
    return load(m_step3);
}
MonitorFrm& Wizard::monitorFrm() {
    return load(m_monitorFrm);
}
PrintParam& Wizard::printParam() {
    return load(m_printParam);
}
HelpFrm& Wizard::helpFrm() {
    return load(m_helpFrm);
}

Page& Wizard::page(PageId id) {
    switch (id) {
    case PageId::SplashScreen: return splashScreen();
    case PageId::Step1: return step1();
    case PageId::PortSelection: return portSelection();
    case PageId::Step2: return step2();
    case PageId::ChanReflectModeFrm: return chanReflectModeFrm();
    case PageId::Step3: return step3();
    case PageId::MonitorFrm: return monitorFrm();
    case PageId::PrintParam: return printParam();
    case PageId::HelpFrm: return helpFrm();
    }
    Q_UNREACHABLE();
}

Page* Wizard::loadedPage(PageId id) const {
    switch (id) {
    case PageId::SplashScreen: return m_splash;
    case PageId::Step1: return m_step1;
    case PageId::PortSelection: return m_portSelection;
    case PageId::Step2: return m_step2;
    case PageId::ChanReflectModeFrm: return m_chanReflectModeFrm;
    case PageId::Step3: return m_step3;
    case PageId::MonitorFrm: return m_monitorFrm;
    case PageId::PrintParam: return m_printParam;
    case PageId::HelpFrm: return m_helpFrm;
    }
    return nullptr;
}

Step1* Wizard::loadedStep1() const {
    return m_step1;
}
PortSelection* Wizard::loadedPortSelection() const {
    return m_portSelection;
}
Step2* Wizard::loadedStep2() const {
    return m_step2;
}
ChanReflectModeFrm* Wizard::loadedChanReflectModeFrm() const {
    return m_chanReflectModeFrm;
}
Step3* Wizard::loadedStep3() const {
    return m_step3;
}
MonitorFrm* Wizard::loadedMonitorFrm() const {
    return m_monitorFrm;
}
PrintParam* Wizard::loadedPrintParam() const {
    return m_printParam;
}
HelpFrm* Wizard::loadedHelpFrm() const {
    return m_helpFrm;
}

void Wizard::unload(Page* page) {
    if (!page || page->m_unloaded) return;
    page->m_unloaded = true;
    // Forget it first, so that whatever Form_Unload shows or asks for loads a fresh window.
    if (m_step3.data() == page) m_step3 = nullptr;
    if (m_monitorFrm.data() == page) m_monitorFrm = nullptr;
    if (m_printParam.data() == page) m_printParam = nullptr;
    if (m_helpFrm.data() == page) m_helpFrm = nullptr;
    page->Form_Unload();
    page->hide();
    m_unloaded.emplace_back(page);
    m_deleteTimer.start(0);
}

void Wizard::deleteUnloaded() {
    if (handlerMayBeSuspended(m_step1)) {
        m_deleteTimer.start(kDeleteRetryMs);
        return;
    }
    for (const QPointer<Page>& page : std::exchange(m_unloaded, {}))
        delete page.data();
}

void Wizard::closeBox(Page* page) {
    // A close box while the system's end puts the printer back would cancel the restore's wait.
    if (m_ending || m_endAsked || !page || page->isUnloaded()) return;
    if (page->lifetime() == Page::Lifetime::WholeRun) {
        page->Form_Unload();
        return;
    }
    const bool besideThePages = page == m_helpFrm.data() || page == m_printParam.data();
    if (!besideThePages && m_step1) m_step1->link().cancelWaits();
    unload(page);
}

void Wizard::openHelpWindow() {
    HelpFrm& help = helpFrm();
    help.show();
    help.raise();
    help.activateWindow();
    help.openHelp(QStringLiteral("Help1.html"));
}

void Wizard::start() {
    splashScreen().start();
}

void Wizard::takeEndRequests(bool bounded) {
    m_boundedEnd = bounded;
    EndRequests::take(*this, [this] { endAsAsked(); });
    // Qt asks for the data first and quits afterwards; the printer is put back at the first of the two.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { endAsAsked(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Wizard::endAsAsked);
    qApp->installEventFilter(this);
}

// The session manager's last word (X11's Die, Windows' WM_ENDSESSION) reaches the program as a quit from
// the system, and Qt would answer it by closing every window: the monitor's close box would leave the
// printer at 57600 and show the sensor page again, which keeps the program running. Such a quit is taken
// as the end the system asks for instead. The program's own quit, once it is ending, passes (Qt sends it
// the same way).
bool Wizard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit && !m_ending) {
        endAsAsked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Wizard::letPortGo() {
    if (!m_step1) return;
    MSComm& comm = link().comm();
    comm.shortenHold();
    const QDeadlineTimer deadline(1000);
    while (comm.isHeld() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void Wizard::endAsAsked() {
    if (m_ending || std::exchange(m_endAsked, true)) return;
    if (m_boundedEnd) {
        // A printer that never takes the restore, or a port that blocks, must not hold a shutdown: the
        // system would end the process harder a moment later anyway, with nothing put back.
        static std::once_flag deadline;
        std::call_once(deadline, [] {
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(kSystemEndMs));
                std::_Exit(EXIT_FAILURE);
            }).detach();
        });
    }
    if (MonitorFrm* monitor = loadedMonitorFrm(); monitor && !monitor->isUnloaded())
        monitor->endAsOnExit();
    else
        endProgram();
}

void Wizard::endProgram() {
    if (m_ending) return;
    m_ending = true;
    if (m_step1) {
        link().shutDown();
        link().ClosePrinterPort();
        link().comm().close();
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    m_endRoutine();
}
