// On its own because <asm/termbits.h> clashes with <termios.h>: 28800 is no standard rate, so the
// application's QSerialPort sets it as BOTHER with the number in c_ospeed, which only the termios2
// interface shows. The master reports the slave's settings.
#include "linesettings.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace Sim {

bool readLineSettings(int ptyMaster, LineSettings* settings) {
    struct termios2 t {};
    if (::ioctl(ptyMaster, TCGETS2, &t) != 0) return false;
    settings->speed = int(t.c_ospeed);
    settings->hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    return true;
}

} // namespace Sim
