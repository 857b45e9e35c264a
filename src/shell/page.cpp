#include "page.h"

#include "helppane.h"
#include "wizard.h"

#include <QCloseEvent>

Page::Page(Wizard& wizard, const Layout::Window& layout, Lifetime lifetime,
           const LayoutBuilder::CustomFactory& custom)
    : QWidget(nullptr), m_wizard(wizard), m_layout(layout), m_lifetime(lifetime) {
    LayoutBuilder::build(this, layout, custom);
}

HelpPane* Page::helpPane() const { return findChild<HelpPane*>(QStringLiteral("WebBrowser")); }

void Page::openHelp(const QString& fileName) {
    if (HelpPane* pane = helpPane())
        pane->Navigate(m_wizard.state().HelpDir + fileName);
}

void Page::closeEvent(QCloseEvent* event) {
    // Qt must not close the window on its own: what closing means is the page's business.
    event->ignore();
    if (m_wizard.isEnding())
        return;
    if (m_lifetime == Lifetime::WholeRun)
        Form_Unload();
    else
        m_wizard.unload(this);
}
