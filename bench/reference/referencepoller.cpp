// The floor of the monitor's timing on this machine: what a program that does nothing but sample takes.
// It asks the printer on DEVICE for its sensor level every 50 ms as a monitor tick does (GS o, one byte
// back, at 57600 with hardware flow control, the input emptied first), its ticks due at absolute times
// as the monitor's precise timer keeps them (a tick later than a whole interval starts the schedule
// afresh rather than firing twice), and writes a line "ns,level" the moment each reply is in
// (ns on the monotonic clock). No event loop, no library: whatever spread its samples show is the
// scheduler's, the pseudo-terminal's and the printer's, which the monitor cannot do better than.
//   veltaro-reference-poller DEVICE SAMPLES
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr long kIntervalNs = 50'000'000;
constexpr int kReplyLimitMs = 2000; // the monitor's own: silence this long is a printer gone
constexpr unsigned char kLevelQuery[] = {0x1D, 'o'};

int fail(const char* what) {
    std::fprintf(stderr, "veltaro-reference-poller: %s: %s\n", what, std::strerror(errno));
    return 1;
}

// The monitor's line after its speed switch: 57600, 8N1, hardware flow control, raw.
bool configure(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD | CRTSCTS;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ::cfsetspeed(&t, B57600) == 0 && ::tcsetattr(fd, TCSANOW, &t) == 0;
}

long long nowNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

timespec at(long long ns) {
    return {time_t(ns / 1'000'000'000LL), long(ns % 1'000'000'000LL)};
}

} // namespace

int main(int argc, char** argv) {
    const int samples = argc == 3 ? std::atoi(argv[2]) : 0;
    if (samples <= 0) {
        std::fprintf(stderr, "usage: veltaro-reference-poller DEVICE SAMPLES\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(argv[1]);
    if (!configure(fd)) return fail("line settings");
    std::printf("ns,value\n");
    std::fflush(stdout);
    long long dueNs = nowNs();
    for (int i = 0; i < samples; ++i) {
        dueNs += kIntervalNs;
        if (const long long now = nowNs(); dueNs < now) dueNs = now + kIntervalNs;
        const timespec due = at(dueNs);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
        ::tcflush(fd, TCIFLUSH);
        if (::write(fd, kLevelQuery, sizeof kLevelQuery) != ssize_t(sizeof kLevelQuery)) return fail("write");
        pollfd reply{fd, POLLIN, 0};
        unsigned char level = 0;
        if (::poll(&reply, 1, kReplyLimitMs) != 1 || ::read(fd, &level, 1) != 1) {
            std::fprintf(stderr, "veltaro-reference-poller: no reply to sample %d\n", i + 1);
            return 1;
        }
        std::printf("%lld,%d\n", nowNs(), level);
        std::fflush(stdout);
    }
    return 0;
}
