#pragma once

namespace kestrix::platform {

// Sets a baud rate that has no termios constant (14400) on an open serial device, through the
// Linux termios2 interface. Returns false with errno set when the driver refuses it.
bool setCustomLineSpeed(int fd, int baud);

// The output baud rate the driver holds for an open serial device, or -1 with errno set.
int lineSpeed(int fd);

}  // namespace kestrix::platform
