#include "console.h"

#include "clisession.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <utility>

namespace Cli {

namespace {
Session* interruptible = nullptr;
QCoreApplication* application = nullptr;
// Set when the program has tidied up. Windows ends the process as soon as the handler of a closing
// console returns (and at the latest some seconds later), so that handler waits for this first.
HANDLE tidiedUp = nullptr;
constexpr DWORD kCloseWaitMs = 4500;

// Runs on a thread of the system's; the session is reached through the application's event loop.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (!application || !interruptible) return FALSE;
    Session* session = interruptible;
    QMetaObject::invokeMethod(application, [session] { session->interrupt(); }, Qt::QueuedConnection);
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return TRUE; // the program goes on to its clean end
    default:         // the console window closes, the user logs off, the system shuts down
        WaitForSingleObject(tidiedUp, kCloseWaitMs);
        return TRUE;
    }
}
} // namespace

Console::Console(QCoreApplication& app, Session& session) {
    application = &app;
    interruptible = &session;
    tidiedUp = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

Console::~Console() {
    std::fflush(stdout);
    // No further event reaches the session, which has ended; a handler already waiting for the tidying
    // is let go, and the system may end the process.
    interruptible = nullptr;
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    if (!tidiedUp) return;
    SetEvent(tidiedUp);
    CloseHandle(std::exchange(tidiedUp, nullptr));
}

bool Console::outputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }
bool Console::errorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

} // namespace Cli
