#pragma once

#include <optional>
#include <string>

struct termios;

namespace kestrix::sim {

// Speed and framing of one end of a serial line.
struct LineSettings {
    int baud = 9600;
    char parity = 'n';  // n, o, e, m, s
    int dataBits = 8;   // 5 to 8
    int stopBits = 1;   // 1 or 2

    // Bits on the wire per character: start bit, data bits, parity bit, stop bits.
    int bitsPerCharacter() const;
    double charactersPerSecond() const;
    // "9600,n,8,1"
    std::string text() const;
    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Reads "9600,n,8,1" (parity letter either case, blanks around fields allowed).
std::optional<LineSettings> parseLineSettings(const std::string& text);

// The baud rates a terminal device can be set to.
bool isTerminalBaud(int baud);

// What the terminal attributes of a device say about its line.
LineSettings lineSettingsOf(const termios& attributes);
// Sets speed and framing of the attributes (raw mode is left to the caller).
void applyLineSettings(termios& attributes, const LineSettings& line);

}  // namespace kestrix::sim
