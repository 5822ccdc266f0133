#include "config/settings.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/serial_settings.h"
#include "shared/numbers.h"

namespace kestrix::config {

namespace {

constexpr const char* kCommunications = "Communications";
constexpr const char* kMiscellaneous = "Miscellaneous";

// Parity letters by code.
constexpr std::string_view kParityLetters = "NOEMS";

// The Function menu entries whose check mark names the view, with the code each stands for;
// the status view (0) when none is checked.
struct ViewEntry {
    MenuItem Form1::*item;
    int code;
};
constexpr std::array<ViewEntry, 3> kViewEntries{{
    {&Form1::funcClock, kClockView},
    {&Form1::funcTermEmul, kTerminalView},
    {&Form1::FuncCustUpdate, kCustomUpdateView},
}};

bool isViewCode(int code) { return code >= kStatusView && code <= kCustomUpdateView; }

int checkedViewCode(const Form1& form1) {
    for (const auto& entry : kViewEntries)
        if ((form1.*entry.item).checked) return entry.code;
    return kStatusView;
}

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

// The one character at `position` of `text`, or nothing past its end.
std::string characterAt(const std::string& text, std::size_t position) {
    return position < text.size() ? text.substr(position, 1) : std::string();
}

// The Communications keys from the port. Its Settings text reads as baud, comma, parity letter,
// comma, data bits, comma, stop bits, so the letter and the digits stand one, three and five
// places after the first comma.
void addCommunications(std::vector<Entry>& entries, platform::SerialPort& port) {
    const std::string settings = port.settings();
    const std::size_t comma = settings.find(',');
    const bool hasComma = comma != std::string::npos;
    const std::string baud = hasComma ? settings.substr(0, comma) : settings;
    const std::string parity = hasComma ? characterAt(settings, comma + 1) : std::string();
    const int code = parity.empty() ? 0 : parityCode(parity[0]);
    entries.push_back({kCommunications, "Port", std::to_string(port.commPort())});
    entries.push_back({kCommunications, "Baud", baud});
    entries.push_back({kCommunications, "Parity", signedText(code)});
    entries.push_back({kCommunications, "Stop bits", hasComma ? characterAt(settings, comma + 5) : std::string()});
    entries.push_back({kCommunications, "Data bits", hasComma ? characterAt(settings, comma + 3) : std::string()});
    entries.push_back({kCommunications, "Pacing", std::to_string(port.handshaking())});
}

std::string flagText(bool set) { return set ? "1" : "0"; }

void addFont(std::vector<Entry>& entries, const FontSection& section, const FontSpec& font) {
    entries.push_back({section.name, "Name", font.name});
    entries.push_back({section.name, "Size", shortestText(font.size)});
    entries.push_back({section.name, "Italics", flagText(font.italic)});
    entries.push_back({section.name, "Bold", flagText(font.bold)});
}

std::vector<Entry> settingsEntries(Context& context) {
    std::vector<Entry> entries;
    addCommunications(entries, context.platform.serial);
    for (const auto& display : displayFonts(context.forms)) addFont(entries, display.section, display.element);
    entries.push_back({kMiscellaneous, "Function", std::to_string(checkedViewCode(context.forms.form1))});
    return entries;
}

}  // namespace

int readViewCode(platform::Profile& profile) {
    const int code = profile.GetPrivateProfileIntA(kMiscellaneous, "Function", kStatusView);
    return isViewCode(code) ? code : kStatusView;
}

FontSpec readFont(platform::Profile& profile, const FontSection& section, const FontSpec& builtIn) {
    FontSpec font;
    font.name = sanitiseFaceName(platform::readWholeString(profile, section.name, "Name", builtIn.name), builtIn.name);
    font.bold = profile.GetPrivateProfileIntA(section.name, "Bold", 0) != 0;
    font.italic = profile.GetPrivateProfileIntA(section.name, "Italics", 0) != 0;
    const std::string sizeText = platform::readWholeString(profile, section.name, "Size", shortestText(builtIn.size));
    font.size = sanitiseFontSize(static_cast<float>(leadingNumber(sizeText)), builtIn.size);
    return font;
}

std::array<DisplayFont, 3> displayFonts(const FormRefs& forms) {
    return {{
        {kStatusFontSection, forms.form1.Term.font, forms.form1.font},
        {kClockFontSection, forms.frmClock.lblClock.font, forms.frmClock.font},
        {kTerminalFontSection, forms.frmTerminal.txtTerminal.font, forms.frmTerminal.font},
    }};
}

int readPort(platform::Profile& profile) {
    return sanitisePort(profile.GetPrivateProfileIntA(kCommunications, "Port", 1));
}

int readBaud(platform::Profile& profile) {
    const auto held = static_cast<std::int16_t>(profile.GetPrivateProfileIntA(kCommunications, "Baud", 9600));
    return sanitiseBaud(held);
}

int readParityCode(platform::Profile& profile) { return profile.GetPrivateProfileIntA(kCommunications, "Parity", 0); }

int readDataBits(platform::Profile& profile) {
    return sanitiseDataBits(profile.GetPrivateProfileIntA(kCommunications, "Data bits", 8));
}

int readStopBits(platform::Profile& profile) {
    return sanitiseStopBits(profile.GetPrivateProfileIntA(kCommunications, "Stop bits", 1));
}

int readPacing(platform::Profile& profile) {
    return sanitisePacing(profile.GetPrivateProfileIntA(kCommunications, "Pacing", 0));
}

char parityLetter(int code) {
    if (code < 0 || static_cast<std::size_t>(code) >= kParityLetters.size()) return 'N';
    return kParityLetters[static_cast<std::size_t>(code)];
}

int parityCode(char letter) {
    const auto position = kParityLetters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    return position == std::string_view::npos ? 0 : static_cast<int>(position);
}

std::string portSettingsText(platform::Profile& profile) {
    return signedText(readBaud(profile)) + "," + std::string(1, parityLetter(readParityCode(profile))) + "," +
           signedText(readDataBits(profile)) + "," + signedText(readStopBits(profile));
}

// COM1 to COM4 are the ports the program offers; any other number starts on COM1.
int sanitisePort(int port) { return port >= 1 && port <= 4 ? port : 1; }

// A rate the port rejects, including one that went negative in 16 bits (38400 and above), would
// leave the port without settings: it starts at 9600 instead.
int sanitiseBaud(int baud) { return platform::isSupportedBaud(baud) ? baud : 9600; }

// The port takes 7 or 8 data bits only; anything else starts with 8.
int sanitiseDataBits(int dataBits) { return dataBits == 7 || dataBits == 8 ? dataBits : 8; }

// The port takes 1 or 2 stop bits only; anything else starts with 1.
int sanitiseStopBits(int stopBits) { return stopBits == 1 || stopBits == 2 ? stopBits : 1; }

// An unknown flow-control code starts without flow control.
int sanitisePacing(int pacing) { return pacing >= 0 && pacing <= 3 ? pacing : 0; }

// A size below one point (text with no number reads as 0), or one no font can take, keeps the
// element's built-in size so that every window can still measure its text.
float sanitiseFontSize(float size, float builtIn) {
    return std::isfinite(size) && size >= kSmallestFontSize && size <= kLargestFontSize ? size : builtIn;
}

// An empty face name (the key present with no value) keeps the built-in face.
std::string sanitiseFaceName(std::string name, const std::string& builtIn) {
    // Blanks and quotes around a name are no part of a face: kept, the name would not come back
    // the same after a save, as reading drops them.
    for (;;) {
        const std::size_t first = name.find_first_not_of(" \t");
        if (first == std::string::npos) return builtIn;
        name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
        if (name.size() < 2 || (name.front() != '"' && name.front() != '\'') || name.back() != name.front()) break;
        name = name.substr(1, name.size() - 2);
    }
    return name;
}

std::optional<std::string> saveSettings(Context& context) {
    std::optional<std::string> failure;
    for (const auto& entry : settingsEntries(context)) {
        auto& profile = context.platform.profile;
        if (!profile.WritePrivateProfileStringA(entry.section, entry.key, entry.value) && !failure)
            failure = profile.lastError();
    }
    return failure;
}

}  // namespace kestrix::config
