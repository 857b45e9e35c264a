#include "endrequests.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace EndRequests {

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalPair[2] = {-1, -1};
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPair[1], &byte, 1);
}
} // namespace

void take(QObject& owner, std::function<void()> end) {
    if (signalPair[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) != 0) return;
    auto* notifier = new QSocketNotifier(signalPair[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [end = std::move(end)] {
        char byte = 0;
        [[maybe_unused]] ssize_t n = ::read(signalPair[0], &byte, 1);
        // The clean-up is under way: whoever asks again does not want to wait for it.
        for (int s : kSignals)
            ::signal(s, SIG_DFL);
        end();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    // The same signal twice before the event loop has read the first ends the process at once too.
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

} // namespace EndRequests
