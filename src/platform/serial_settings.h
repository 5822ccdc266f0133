#pragma once

#include <string>

namespace kestrix::platform {

// The parameters a serial port's Settings text carries.
struct SerialSettings {
    int baud = 9600;
    char parity = 'n';  // n, o, e, m, s
    int dataBits = 8;   // 7 or 8
    int stopBits = 1;   // 1 or 2

    // "9600,n,8,1"
    std::string text() const;
    friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

// Baud rates the port accepts.
bool isSupportedBaud(int baud);

// Reads a Settings text such as "9600,N,8,1" or " 9600,n, 8, 1" (numbers may carry one leading
// blank, the parity letter either case). Throws SerialError with a clear description otherwise.
SerialSettings parseSerialSettings(const std::string& text);

}  // namespace kestrix::platform
