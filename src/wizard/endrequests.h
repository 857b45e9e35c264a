#pragma once

#include <functional>

class QObject;

// How the system asks the wizard to end besides its own windows: on Unix SIGTERM (a shutdown, the service
// manager), SIGINT and SIGHUP (the terminal it was started from closed); on Windows a close that another
// program posts to its windows (taskkill without /F), told from the user's own close box. One file per
// system (endrequests_unix.cpp, endrequests_win.cpp); the desktop session's end reaches the wizard through
// Qt's session management on every system (wizard.cpp). `end` runs from the event loop, inside whatever
// wait the wizard is in. From the first request on, a signal ends the process at once; on Windows the
// closes that follow are taken as the same request, and the wizard's own bound ends the process.
namespace EndRequests {

// Takes the requests while `owner` lives.
void take(QObject& owner, std::function<void()> end);

} // namespace EndRequests
