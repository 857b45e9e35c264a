#pragma once

#include "layout.h"
#include "layoutbuilder.h"

#include <QWidget>

class PageHost;
class HelpPane;

// A window of the wizard, built from its layout table. Pages that live for the whole run are only hidden
// and shown; the others are unloaded when left (their Form_Unload runs, then they are deleted once no
// handler of theirs is on the stack any more) and each visit starts from Form_Load.
class Page : public QWidget {
    Q_OBJECT
public:
    enum class Lifetime { WholeRun, UnloadedWhenLeft };

    Page(PageHost& wizard, const Layout::Window& layout, Lifetime lifetime,
         const LayoutBuilder::CustomFactory& custom = {});

    virtual void Form_Load() {}
    virtual void Form_Unload() {}

    const Layout::Window& layoutTable() const { return m_layout; }
    Lifetime lifetime() const { return m_lifetime; }
    // Unloaded: its Form_Unload has run and it waits to be deleted; it never shows again.
    bool isUnloaded() const { return m_unloaded; }
    PageHost& wizard() const { return m_wizard; }

    // The element of the layout table with that name, as built.
    template <class T> T* control(const QString& name) const {
        T* w = findChild<T*>(name);
        Q_ASSERT_X(w, "Page::control", qPrintable(name));
        return w;
    }
    HelpPane* helpPane() const;
    // Shows HelpDir followed by the file name in the page's help pane.
    void openHelp(const QString& fileName);

    // An unloaded page stays hidden, also when a handler that was waiting while it was unloaded goes on
    // to show it.
    void setVisible(bool visible) override;

protected:
    // The close box: what it does is the wizard's business (PageHost::closeBox).
    void closeEvent(QCloseEvent* event) override;

private:
    friend class Wizard;

    PageHost& m_wizard;
    const Layout::Window& m_layout;
    Lifetime m_lifetime;
    bool m_unloaded = false;
};
