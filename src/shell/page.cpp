#include "page.h"

#include "helppane.h"
#include "link/sharedstate.h"
#include "pagehost.h"

#include <QCloseEvent>

Page::Page(PageHost& wizard, const Layout::Window& layout, Lifetime lifetime,
           const LayoutBuilder::CustomFactory& custom)
    : QWidget(nullptr), m_wizard(wizard), m_layout(layout), m_lifetime(lifetime) {
    LayoutBuilder::build(this, layout, custom);
}

HelpPane* Page::helpPane() const {
    return findChild<HelpPane*>(QStringLiteral("WebBrowser"));
}

void Page::openHelp(const QString& fileName) {
    if (HelpPane* pane = helpPane()) pane->Navigate(m_wizard.state().HelpDir + fileName);
}

void Page::setVisible(bool visible) {
    if (visible && m_unloaded) return;
    QWidget::setVisible(visible);
}

void Page::closeEvent(QCloseEvent* event) {
    // Qt must not close the window on its own: the wizard hides, unloads or ends.
    event->ignore();
    m_wizard.closeBox(this);
}
