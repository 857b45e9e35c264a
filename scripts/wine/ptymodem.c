/* Loaded into Wine's processes only, by scripts/windows run. A pseudo-terminal has no modem lines and
 * refuses TIOCMGET; Wine asks for them inside every WaitCommEvent, fails the wait, and the Windows serial
 * layer takes that for a lost device. Here a pty answers as a cable with the lines up would, so that the
 * simulated printer on a pty can stand in for a printer on a real port. Nothing else is touched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

/* Unix98 pty slaves: majors 136 to 143. */
static int is_pty(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...) {
    static int (*real)(int, unsigned long, ...);
    if (!real) real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    va_list ap;
    va_start(ap, request);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    const int result = real(fd, request, arg);
    const int modem = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (result < 0 && errno == ENOTTY && modem && is_pty(fd)) {
        if (request == TIOCMGET) *(int *)arg = TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
        return 0;
    }
    return result;
}
