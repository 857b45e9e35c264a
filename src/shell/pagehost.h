#pragma once

// What a page may ask of the program that holds it: the shared state and the link, the other pages (by
// their place in the wizard, loaded on first use), and the ways a page is left or the program ends. The
// wizard, above the pages, answers; the pages never include it.

class Link;
class Page;
struct SharedState;

enum class PageId {
    SplashScreen,
    Step1,
    PortSelection,
    Step2,
    ChanReflectModeFrm,
    Step3,
    MonitorFrm,
    PrintParam,
    HelpFrm,
};

class PageHost {
public:
    virtual SharedState& state() = 0;
    virtual Link& link() = 0;

    // The page, loaded (built, then its Form_Load run) if it is not loaded yet.
    virtual Page& page(PageId id) = 0;
    // The page if it is loaded, without loading it.
    virtual Page* loadedPage(PageId id) const = 0;
    template <class T> T& get() { return static_cast<T&>(page(T::kPageId)); }
    template <class T> T* loaded() const { return static_cast<T*>(loadedPage(T::kPageId)); }

    // Runs the page's Form_Unload, hides it for good and deletes it once no handler of it can be running.
    virtual void unload(Page* page) = 0;
    // What the close box of a page does.
    virtual void closeBox(Page* page) = 0;
    virtual void openHelpWindow() = 0;

    // The one way the program ends: every wait is cancelled, the port closed, every window hidden.
    virtual void endProgram() = 0;
    virtual bool isEnding() const = 0;

protected:
    ~PageHost() = default;
};
