#pragma once

#include <functional>
#include <string>

namespace kestrix::monitor {

// The journal's levels, written as "<N>" before each line on standard error.
enum class Level { Error = 3, Warning = 4, Notice = 5, Info = 6 };
using Log = std::function<void(Level level, const std::string& text)>;

// One line as the journal reads it: "<4>lab-1: No response from unit\n". Control characters in
// the text (a receiver's reply, a path) become blanks, so one message stays one line.
inline std::string journalLine(Level level, const std::string& text) {
    std::string line = "<" + std::to_string(static_cast<int>(level)) + ">";
    for (unsigned char c : text) line += (c < 0x20 || c == 0x7F) ? ' ' : static_cast<char>(c);
    return line + "\n";
}

}  // namespace kestrix::monitor
