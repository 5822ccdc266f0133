#include "platform/serial_settings.h"

#include <array>
#include <cctype>
#include <vector>

#include "platform/serial_port.h"

namespace kestrix::platform {

namespace {

constexpr std::array kBaudRates{110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};

std::vector<std::string> splitFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',') fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

// A field with at most one leading blank and nothing but digits after it.
bool readNumber(std::string field, int& value) {
    if (!field.empty() && field.front() == ' ') field.erase(0, 1);
    if (field.empty() || field.size() > 7) return false;
    value = 0;
    for (char c : field) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

[[noreturn]] void invalid(const std::string& text, const std::string& why) {
    throw SerialError("Invalid port settings \"" + text + "\": " + why);
}

}  // namespace

std::string SerialSettings::text() const {
    return std::to_string(baud) + "," + std::string(1, parity) + "," + std::to_string(dataBits) + "," +
           std::to_string(stopBits);
}

bool isSupportedBaud(int baud) {
    for (int b : kBaudRates)
        if (b == baud) return true;
    return false;
}

SerialSettings parseSerialSettings(const std::string& text) {
    const auto fields = splitFields(text);
    if (fields.size() != 4) invalid(text, "expected baud rate, parity, data bits and stop bits separated by commas");
    SerialSettings s;
    if (!readNumber(fields[0], s.baud) || !isSupportedBaud(s.baud)) invalid(text, "unsupported baud rate");
    std::string parity = fields[1];
    if (!parity.empty() && parity.front() == ' ') parity.erase(0, 1);
    if (parity.size() != 1) invalid(text, "parity must be one of N, O, E, M, S");
    s.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(parity[0])));
    if (std::string("noems").find(s.parity) == std::string::npos) invalid(text, "parity must be one of N, O, E, M, S");
    if (!readNumber(fields[2], s.dataBits) || (s.dataBits != 7 && s.dataBits != 8))
        invalid(text, "data bits must be 7 or 8");
    if (!readNumber(fields[3], s.stopBits) || (s.stopBits != 1 && s.stopBits != 2))
        invalid(text, "stop bits must be 1 or 2");
    return s;
}

}  // namespace kestrix::platform
