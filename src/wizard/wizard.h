#pragma once

#include "link/sharedstate.h"
#include "shell/pagehost.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class Link;
class Page;
class SplashScreen;
class Step1;
class PortSelection;
class Step2;
class ChanReflectModeFrm;
class Step3;
class MonitorFrm;
class PrintParam;
class HelpFrm;

// The program: its shared state and its windows. A window is loaded (built, then its Form_Load run) on
// first use; Step1, PortSelection, Step2 and ChanReflectModeFrm then live for the whole run, while Step3,
// MonitorFrm, PrintParam and HelpFrm are unloaded when left and loaded afresh on the next use. Step1 owns
// the serial port object, the delay timer and the link over them.
class Wizard : public QObject, public PageHost {
    Q_OBJECT
public:
    explicit Wizard(QObject* parent = nullptr);
    ~Wizard() override;

    SharedState& state() override { return m_state; }
    Link& link() override;
    Page& page(PageId id) override;
    Page* loadedPage(PageId id) const override;

    SplashScreen& splashScreen();
    Step1& step1();
    PortSelection& portSelection();
    Step2& step2();
    ChanReflectModeFrm& chanReflectModeFrm();
    Step3& step3();
    MonitorFrm& monitorFrm();
    PrintParam& printParam();
    HelpFrm& helpFrm();

    // Loaded windows, without loading them.
    Step1* loadedStep1() const;
    PortSelection* loadedPortSelection() const;
    Step2* loadedStep2() const;
    ChanReflectModeFrm* loadedChanReflectModeFrm() const;
    Step3* loadedStep3() const;
    MonitorFrm* loadedMonitorFrm() const;
    PrintParam* loadedPrintParam() const;
    HelpFrm* loadedHelpFrm() const;

    // Runs the window's Form_Unload, hides it for good and deletes it once no handler can be running
    // any more (no wait of the link in progress). Unloading an unloaded window does nothing.
    void unload(Page* page) override;

    // The close box of a window: a page that lives for the whole run runs its Form_Unload (the wizard
    // pages end the program there, the splash ignores it); Step3 and MonitorFrm are left like with Back
    // (the waits in progress are cancelled) and unloaded; the help window and the parameter sheet are
    // unloaded, the wizard's waits going on beside them.
    void closeBox(Page* page) override;

    // The help window, opened from the sensor and action page: shown beside the pages, brought to the
    // front and showing "Help1.html" again if it was open already.
    void openHelpWindow() override;

    // Start-up: the splash window, which after its time shows Step1.
    void start();

    // The one way the program ends (Exit, the close boxes that end it, the firmware-loader message):
    // every wait in progress is cancelled, the port closed, every window hidden without its close
    // handler, then the end routine runs (by default the application quits).
    void endProgram() override;
    bool isEnding() const override { return m_ending; }

    // The system asks the program to end (a signal, the desktop session's end): as on Exit, the monitor
    // first putting the printer back at its speed; a calibration's or a search's wait ends and nothing
    // more is sent. Taken from here on; with `bounded`, the process ends within kSystemEndMs of the
    // request whatever the printer does.
    void takeEndRequests(bool bounded);
    // After the event loop: a port closed a moment ago is still held, and the line keeps the settings of
    // the last command written (Exit's restore) until the hold runs out. Dropping it with the process
    // would put the resting settings back under that command's bytes; this waits for it, at most 1 s.
    void letPortGo();
    void endAsAsked();
    static constexpr int kSystemEndMs = 2000;
    void setEndRoutine(std::function<void()> routine) { m_endRoutine = std::move(routine); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void useDialogFont();
    template <class T> T& load(QPointer<T>& slot);
    void deleteUnloaded();

    SharedState m_state;
    QPointer<SplashScreen> m_splash;
    QPointer<Step1> m_step1;
    QPointer<PortSelection> m_portSelection;
    QPointer<Step2> m_step2;
    QPointer<ChanReflectModeFrm> m_chanReflectModeFrm;
    QPointer<Step3> m_step3;
    QPointer<MonitorFrm> m_monitorFrm;
    QPointer<PrintParam> m_printParam;
    QPointer<HelpFrm> m_helpFrm;
    std::vector<QPointer<Page>> m_unloaded; // unloaded, not yet deleted
    QTimer m_deleteTimer;
    bool m_ending = false;
    bool m_boundedEnd = false;
    bool m_endAsked = false; // the system's end is under way (the monitor putting the printer back)
    std::function<void()> m_endRoutine;
};
