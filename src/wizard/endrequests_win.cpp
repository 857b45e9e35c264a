#include "endrequests.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QObject>

#include <utility>

#include <windows.h>

namespace EndRequests {

namespace {
// A windowed program on Windows gets no console signals. The session's end comes as Qt's session
// management (wizard.cpp); another program that asks the wizard to end (taskkill without /F, a service
// manager) posts WM_CLOSE to each of its top-level windows, the hidden ones too. The user's own close
// (the close box, Alt+F4, the window menu) reaches a window as WM_SYSCOMMAND SC_CLOSE, whose default
// handling sends that window its WM_CLOSE at once, with no message between the two. A WM_CLOSE without
// that command just before it came from outside: it never reaches the page, whose close box only goes
// back a step (or, on the detection page, ends without putting the printer back).
class CloseFilter : public QObject, public QAbstractNativeEventFilter {
public:
    CloseFilter(QObject& owner, std::function<void()> end) : QObject(&owner), m_end(std::move(end)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override {
        if (type != "windows_generic_MSG") return false;
        const MSG& msg = *static_cast<const MSG*>(message);
        if (msg.message == WM_SYSCOMMAND) {
            m_userClosing = (msg.wParam & 0xFFF0) == SC_CLOSE ? msg.hwnd : nullptr;
            return false;
        }
        if (msg.message != WM_CLOSE) {
            m_userClosing = nullptr;
            return false;
        }
        const bool users = msg.hwnd && msg.hwnd == std::exchange(m_userClosing, nullptr);
        if (users) return false;
        // One request posts a close to every window at once: the first starts the clean-up, the others
        // are the same request. The clean-up runs from the event loop, not inside the window procedure.
        if (!m_taken) {
            m_taken = true;
            QMetaObject::invokeMethod(this, m_end, Qt::QueuedConnection);
        }
        // The event loop hands posted messages to the filters with no place for a result.
        if (result) *result = 0;
        return true;
    }

private:
    std::function<void()> m_end;
    HWND m_userClosing = nullptr;
    bool m_taken = false;
};
} // namespace

void take(QObject& owner, std::function<void()> end) {
    new CloseFilter(owner, std::move(end));
}

} // namespace EndRequests
