// The kernel's termios2 cannot share a translation unit with <termios.h>.
#include "platform/posix_custom_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kestrix::platform {

bool setCustomLineSpeed(int fd, int baud) {
    termios2 line{};
    if (ioctl(fd, TCGETS2, &line) != 0) return false;
    line.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = static_cast<speed_t>(baud);
    line.c_ospeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &line) == 0;
}

LineSpeeds lineSpeeds(int fd) {
    termios2 line{};
    if (ioctl(fd, TCGETS2, &line) != 0) return {};
    return {static_cast<int>(line.c_ispeed), static_cast<int>(line.c_ospeed)};
}

}  // namespace kestrix::platform
