#pragma once

#include <termios.h>

#include "platform/serial_settings.h"

namespace kestrix::platform {

// Handshaking values of the serial port.
namespace handshake {
inline constexpr int none = 0, xonXoff = 1, rtsCts = 2, both = 3;
}

// Makes `line` a raw, 8-bit-clean line (no echo, no signals, no CR/LF translation, reads that
// never wait) with the framing of `settings` and the flow control of `handshaking`. The speed is
// left alone: see standardSpeed.
void applyLineSettings(termios& line, const SerialSettings& settings, int handshaking);

// The termios speed constant of a baud rate, or B0 when the system has none for it (such rates
// are set through setCustomLineSpeed).
speed_t standardSpeed(int baud);

}  // namespace kestrix::platform
