#pragma once

// The settings file "Receiver.INI": what the program remembers between runs. Start-up reads it
// with the functions below, key by key; saveSettings writes all nineteen keys at exit.
//
// Stored values the port or the fonts cannot take never stop the program: each reading function
// replaces them (see the sanitise functions), so start-up always has something it can apply.

#include <array>
#include <optional>
#include <string>

#include "platform/profile.h"
#include "shared/font.h"
#include "state/context.h"
#include "state/display_forms.h"
#include "state/main_window_form.h"

namespace kestrix::config {

// ---- "Miscellaneous": the view the main window starts in ("Function").

inline constexpr int kStatusView = 0;
inline constexpr int kClockView = 1;
inline constexpr int kTerminalView = 2;
inline constexpr int kCustomUpdateView = 3;

// 1 clock, 2 terminal emulator, 3 custom update; 0 and every other value the status view.
int readViewCode(platform::Profile& profile);

// ---- The three display fonts.

// A font's section in the file.
struct FontSection {
    const char* name;
};
inline constexpr FontSection kStatusFontSection{"Status Font"};
inline constexpr FontSection kClockFontSection{"Clock"};
inline constexpr FontSection kTerminalFontSection{"Terminal"};

// A display font as stored. "Name" and "Size" default to `builtIn`'s face and size and are read
// whole, however long, so that a font comes back exactly as it was saved; "Size" is the number at
// the start of its text ("10.5pt" gives 10.5). "Italics" and "Bold" default to not set whatever
// `builtIn` has, so a missing key clears the style. Unusable values are replaced by
// sanitiseFaceName and sanitiseFontSize.
FontSpec readFont(platform::Profile& profile, const FontSection& section, const FontSpec& builtIn);

// A display element whose font the file keeps, and its window, which takes the same font.
struct DisplayFont {
    const FontSection& section;
    FontSpec& element;
    FontSpec& window;
};
// The status display Term on Form1, the clock label lblClock on FrmClock and the terminal text
// box txtTerminal on frmTerminal, in the file's order.
std::array<DisplayFont, 3> displayFonts(const FormRefs& forms);

// ---- "Communications": the serial port.

// The port number 1 to 4 ("Port").
int readPort(platform::Profile& profile);
// The baud rate ("Baud"), held in 16 signed bits: 32768 and above wrap negative and, like any
// rate the port does not support, become 9600.
int readBaud(platform::Profile& profile);
int readParityCode(platform::Profile& profile);
int readDataBits(platform::Profile& profile);
int readStopBits(platform::Profile& profile);
// The flow-control code for Handshaking ("Pacing"): 0 none, 1 XON/XOFF, 2 RTS, 3 both.
int readPacing(platform::Profile& profile);

// Parity codes: 0 N, 1 O, 2 E, 3 M, 4 S; any other code is N. Letters in either case.
char parityLetter(int code);
int parityCode(char letter);  // 0 for a character that is no parity letter

// The Settings text for the port: baud, parity letter, data bits and stop bits joined by
// commas, each number with one leading blank. With no file: " 9600,N, 8, 1".
std::string portSettingsText(platform::Profile& profile);

// ---- Replacements for stored values the port or the fonts cannot take.

int sanitisePort(int port);          // outside 1 to 4: port 1
int sanitiseBaud(int baud);          // a rate the port does not support: 9600
int sanitiseDataBits(int dataBits);  // not 7 or 8: 8
int sanitiseStopBits(int stopBits);  // not 1 or 2: 1
int sanitisePacing(int pacing);      // outside 0 to 3: 0 (none)
// Below kSmallestFontSize (including text with no number), not finite or above
// kLargestFontSize: the built-in size.
float sanitiseFontSize(float size, float builtIn);
// A face name loses blanks and quotes around it; an empty one gives the built-in face.
std::string sanitiseFaceName(std::string name, const std::string& builtIn);

// The point sizes a display font takes.
inline constexpr float kSmallestFontSize = 1.0f;
inline constexpr float kLargestFontSize = 1638.0f;

// ---- Writing.

// Writes all nineteen keys in the file's order from the live objects: the serial port's
// CommPort, Settings and Handshaking, the three display fonts and the Function menu's check
// marks; sizes in plain decimal ("0.5", never "5e-01"). Lines the program does not know stay as
// they were. Every key is attempted; the result
// is the first write's failure reason, or nothing when all were written.
[[nodiscard]] std::optional<std::string> saveSettings(Context& context);

}  // namespace kestrix::config
