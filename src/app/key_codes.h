#pragma once

#include <optional>

class QKeyEvent;

namespace kestrix::app {

// The character a key press hands to a key-press handler: Enter 13, Backspace 8, Escape 27, or a
// Latin-1 character. Nothing for other keys (arrows, function keys), nor for any key typed with
// Alt, Ctrl or the logo key held: those are meant for the program (a menu, a shortcut).
std::optional<char> keyAscii(const QKeyEvent& event);
// Alt, Ctrl or the logo key is held.
bool heldForCommand(const QKeyEvent& event);
// The key would put a visible character into a text widget.
bool typesText(const QKeyEvent& event);
// A key that types a character outside Latin-1, which the program's text cannot hold.
bool typesForeignCharacter(const QKeyEvent& event);

}  // namespace kestrix::app
