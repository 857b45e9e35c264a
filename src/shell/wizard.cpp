#include "wizard.h"

#include "calibration/step3.h"
#include "detection/portselection.h"
#include "detection/step1.h"
#include "helpfrm.h"
#include "link/link.h"
#include "monitor/monitorfrm.h"
#include "monitor/printparam.h"
#include "sensor/chanreflectmodefrm.h"
#include "sensor/step2.h"
#include "splashscreen.h"

#include <QApplication>

Wizard::Wizard(QObject* parent) : QObject(parent), m_endRoutine([] { QCoreApplication::quit(); }) {}

Wizard::~Wizard() {
    m_ending = true;
    // Windows go first, Step1 (and with it the port) last: the other pages may still reach the link.
    const QList<QWidget*> pages{m_helpFrm, m_printParam, m_monitorFrm,    m_step3, m_chanReflectModeFrm,
                                m_step2,   m_portSelection, m_splash};
    for (QWidget* page : pages)
        delete page;
    delete m_step1;
}

template <class T> T& Wizard::load(QPointer<T>& slot) {
    if (!slot) {
        slot = new T(*this);
        slot->Form_Load();
    }
    return *slot;
}

Link& Wizard::link() { return step1().link(); }
SplashScreen& Wizard::splashScreen() { return load(m_splash); }
Step1& Wizard::step1() { return load(m_step1); }
PortSelection& Wizard::portSelection() { return load(m_portSelection); }
Step2& Wizard::step2() { return load(m_step2); }
ChanReflectModeFrm& Wizard::chanReflectModeFrm() { return load(m_chanReflectModeFrm); }
Step3& Wizard::step3() { return load(m_step3); }
MonitorFrm& Wizard::monitorFrm() { return load(m_monitorFrm); }
PrintParam& Wizard::printParam() { return load(m_printParam); }
HelpFrm& Wizard::helpFrm() { return load(m_helpFrm); }

Step1* Wizard::loadedStep1() const { return m_step1; }
PortSelection* Wizard::loadedPortSelection() const { return m_portSelection; }
Step2* Wizard::loadedStep2() const { return m_step2; }
ChanReflectModeFrm* Wizard::loadedChanReflectModeFrm() const { return m_chanReflectModeFrm; }
Step3* Wizard::loadedStep3() const { return m_step3; }
MonitorFrm* Wizard::loadedMonitorFrm() const { return m_monitorFrm; }
PrintParam* Wizard::loadedPrintParam() const { return m_printParam; }
HelpFrm* Wizard::loadedHelpFrm() const { return m_helpFrm; }

void Wizard::unload(Page* page) {
    if (!page)
        return;
    // Forget it first, so that whatever Form_Unload shows or asks for loads a fresh window.
    if (m_step3.data() == page)
        m_step3 = nullptr;
    if (m_monitorFrm.data() == page)
        m_monitorFrm = nullptr;
    if (m_printParam.data() == page)
        m_printParam = nullptr;
    if (m_helpFrm.data() == page)
        m_helpFrm = nullptr;
    page->Form_Unload();
    page->hide();
    page->deleteLater();
}

void Wizard::start() { splashScreen().start(); }

void Wizard::endProgram() {
    if (m_ending)
        return;
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
