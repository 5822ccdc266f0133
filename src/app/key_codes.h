#pragma once

#include <optional>

class QKeyEvent;

namespace kestrix::app {

// The character a key press hands to a key-press handler: Enter 13, Backspace 8, Escape 27, a
// control key's code, or a Latin-1 character. Nothing for other keys (arrows, function keys).
std::optional<char> keyAscii(const QKeyEvent& event);
// A key that types a character outside Latin-1, which the program's text cannot hold.
bool typesForeignCharacter(const QKeyEvent& event);

}  // namespace kestrix::app
