#include "platform/posix_line_settings.h"

#include <array>
#include <utility>

namespace kestrix::platform {

namespace {

constexpr std::array<std::pair<int, speed_t>, 11> kSpeeds{{
    {110, B110},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
}};

struct ParityFlags {
    char letter;
    tcflag_t flags;
};

// Mark parity is a parity bit stuck at 1 (odd sense), space at 0, through CMSPAR.
constexpr std::array<ParityFlags, 5> kParities{{
    {'n', 0},
    {'o', PARENB | PARODD},
    {'e', PARENB},
    {'m', PARENB | PARODD | CMSPAR},
    {'s', PARENB | CMSPAR},
}};

constexpr unsigned char kXon = 0x11, kXoff = 0x13;

tcflag_t parityFlags(char letter) {
    for (const auto& p : kParities)
        if (p.letter == letter) return p.flags;
    return 0;
}

}  // namespace

void applyLineSettings(termios& line, const SerialSettings& settings, int handshaking) {
    line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL |
                                           IXON | IXOFF | IXANY | IUCLC | IMAXBEL);
    line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN | TOSTOP);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);

    line.c_cflag |= CLOCAL | CREAD;
    line.c_cflag |= settings.dataBits == 7 ? CS7 : CS8;
    line.c_cflag |= parityFlags(settings.parity);
    if (settings.stopBits == 2) line.c_cflag |= CSTOPB;

    if (handshaking == handshake::xonXoff || handshaking == handshake::both) line.c_iflag |= IXON | IXOFF;
    if (handshaking == handshake::rtsCts || handshaking == handshake::both) line.c_cflag |= CRTSCTS;
    line.c_cc[VSTART] = kXon;
    line.c_cc[VSTOP] = kXoff;

    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
}

speed_t standardSpeed(int baud) {
    for (const auto& [rate, constant] : kSpeeds)
        if (rate == baud) return constant;
    return B0;
}

}  // namespace kestrix::platform
