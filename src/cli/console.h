#pragma once

class QCoreApplication;

namespace Cli {

class Session;

// How the system asks a console program to stop, and what its standard output is. One file per system:
// POSIX signals (console_unix.cpp), console control events (console_win.cpp).
class Console {
public:
    // From here on, Ctrl-C and the system's other requests to stop reach the session inside whatever wait
    // it is in, and the command tidies up (the printer put back at its speed) before the program ends. A
    // reader that goes away (a closed pipe) shows as a failed write instead of ending the program.
    Console(QCoreApplication& app, Session& session);
    // The program has tidied up: a request that must wait for that (a console window being closed) may
    // now let the system end the process.
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Standard output is a terminal (a live bar) rather than a file or a pipe (one line per sample).
    static bool outputIsTerminal();
    // Standard error is a terminal: progress that rewrites its own line is read there, not logged.
    static bool errorIsTerminal();
};

} // namespace Cli
