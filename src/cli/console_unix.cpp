#include "console.h"

#include "clisession.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace Cli {

namespace {
// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalPipe[2] = {-1, -1};
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}
} // namespace

Console::Console(QCoreApplication& app, Session& session) {
    // A closed pipe is seen as a failed write, so that the printer is still put back at its speed.
    ::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&session] {
        char byte = 0;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &byte, 1);
        session.interrupt();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

Console::~Console() = default;

bool Console::outputIsTerminal() { return ::isatty(STDOUT_FILENO); }
bool Console::errorIsTerminal() { return ::isatty(STDERR_FILENO); }

} // namespace Cli
