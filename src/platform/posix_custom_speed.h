#pragma once

namespace kestrix::platform {

// Sets a baud rate that has no termios constant (14400) on an open serial device, through the
// Linux termios2 interface. Returns false with errno set when the driver refuses it.
bool setCustomLineSpeed(int fd, int baud);

struct LineSpeeds {
    int input = -1;
    int output = -1;
};

// The baud rates the driver holds for an open serial device, -1 when it cannot tell.
LineSpeeds lineSpeeds(int fd);

}  // namespace kestrix::platform
