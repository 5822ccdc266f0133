#include "receiver-sim/line_settings.h"

#include <termios.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

namespace kestrix::sim {

namespace {

constexpr std::array<std::pair<int, speed_t>, 18> kSpeeds{{
    {50, B50},
    {75, B75},
    {110, B110},
    {134, B134},
    {150, B150},
    {200, B200},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {1800, B1800},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
}};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<int> wholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 7) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

int LineSettings::bitsPerCharacter() const { return 1 + dataBits + (parity == 'n' ? 0 : 1) + stopBits; }

double LineSettings::charactersPerSecond() const { return static_cast<double>(baud) / bitsPerCharacter(); }

std::string LineSettings::text() const {
    return std::to_string(baud) + "," + std::string(1, parity) + "," + std::to_string(dataBits) + "," +
           std::to_string(stopBits);
}

std::optional<LineSettings> parseLineSettings(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',') fields.emplace_back();
        else fields.back() += c;
    }
    if (fields.size() != 4) return std::nullopt;
    for (auto& field : fields) field = trimmed(field);
    LineSettings line;
    const auto baud = wholeNumber(fields[0]);
    const auto dataBits = wholeNumber(fields[2]);
    const auto stopBits = wholeNumber(fields[3]);
    if (!baud || !isTerminalBaud(*baud) || !dataBits || *dataBits < 5 || *dataBits > 8 || !stopBits ||
        (*stopBits != 1 && *stopBits != 2) || fields[1].size() != 1)
        return std::nullopt;
    const char parity = static_cast<char>(std::tolower(static_cast<unsigned char>(fields[1][0])));
    if (std::string("noems").find(parity) == std::string::npos) return std::nullopt;
    line.baud = *baud;
    line.parity = parity;
    line.dataBits = *dataBits;
    line.stopBits = *stopBits;
    return line;
}

bool isTerminalBaud(int baud) {
    return std::any_of(kSpeeds.begin(), kSpeeds.end(), [baud](const auto& s) { return s.first == baud; });
}

LineSettings lineSettingsOf(const termios& attributes) {
    LineSettings line;
    const speed_t speed = cfgetospeed(&attributes);
    line.baud = 0;
    for (const auto& [baud, code] : kSpeeds)
        if (code == speed) line.baud = baud;
    switch (attributes.c_cflag & CSIZE) {
        case CS5: line.dataBits = 5; break;
        case CS6: line.dataBits = 6; break;
        case CS7: line.dataBits = 7; break;
        default: line.dataBits = 8; break;
    }
    const bool odd = (attributes.c_cflag & PARODD) != 0;
    if (!(attributes.c_cflag & PARENB)) line.parity = 'n';
    else if (attributes.c_cflag & CMSPAR) line.parity = odd ? 'm' : 's';
    else line.parity = odd ? 'o' : 'e';
    line.stopBits = (attributes.c_cflag & CSTOPB) ? 2 : 1;
    return line;
}

void applyLineSettings(termios& attributes, const LineSettings& line) {
    for (const auto& [baud, code] : kSpeeds) {
        if (baud != line.baud) continue;
        cfsetispeed(&attributes, code);
        cfsetospeed(&attributes, code);
    }
    static constexpr std::array<tcflag_t, 4> kSizes{CS5, CS6, CS7, CS8};
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    attributes.c_cflag |= kSizes[static_cast<std::size_t>(std::clamp(line.dataBits, 5, 8) - 5)];
    if (line.parity != 'n') attributes.c_cflag |= PARENB;
    if (line.parity == 'o' || line.parity == 'm') attributes.c_cflag |= PARODD;
    if (line.parity == 'm' || line.parity == 's') attributes.c_cflag |= CMSPAR;
    if (line.stopBits == 2) attributes.c_cflag |= CSTOPB;
}

}  // namespace kestrix::sim
