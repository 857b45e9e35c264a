#pragma once

#include <functional>

class QObject;

// How the system asks the wizard to end besides its own windows: on Unix SIGTERM (a shutdown, the service
// manager), SIGINT and SIGHUP (the terminal it was started from closed). One file per system
// (endrequests_unix.cpp, endrequests_win.cpp); the desktop session's end reaches the wizard through Qt's
// session management on every system (wizard.cpp). The handler of a signal only writes a byte; `end` runs
// from the event loop, inside whatever wait the wizard is in. From the first request on, a signal ends the
// process at once.
namespace EndRequests {

// Takes the requests while `owner` lives.
void take(QObject& owner, std::function<void()> end);

} // namespace EndRequests
