#include "download/firmware_file.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace kestrix {

namespace {

// Bytes of address each record type carries; 0 marks the reserved type S4.
constexpr std::array<std::size_t, 10> kAddressBytes{2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

// A character as the user can read it in a message: itself when printable, else its code.
std::string shown(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= 0x21 && code < 0x7F) return std::string("\"") + c + "\"";
    return "the byte " + hexByte(code) + " (hexadecimal)";
}

// The reason a record is not well formed, or nothing when it is.
std::optional<std::string> recordFault(std::string_view record) {
    if (record[0] != 'S') return "it does not start with \"S\"";
    if (record.size() < 2 || record[1] < '0' || record[1] > '9' || record[1] == '4')
        return "it has no record type 0 to 3 or 5 to 9 after the \"S\"";
    const std::size_t addressBytes = kAddressBytes[static_cast<std::size_t>(record[1] - '0')];
    const std::string_view digits = record.substr(2);
    for (std::size_t i = 0; i < digits.size(); ++i)
        if (hexValue(digits[i]) < 0)
            return "character " + std::to_string(i + 3) + " is " + shown(digits[i]) + ", not a hexadecimal digit";
    if (digits.size() % 2 != 0) return "it has an odd number of hexadecimal digits";
    if (digits.empty()) return "it has no byte count";
    std::vector<unsigned> bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<unsigned>(hexValue(digits[i]) * 16 + hexValue(digits[i + 1])));
    const std::size_t count = bytes[0];
    if (count != bytes.size() - 1)
        return "its byte count says " + std::to_string(count) + " bytes follow, but " +
               std::to_string(bytes.size() - 1) + " do";
    if (count < addressBytes + 1) return "it is too short for its address and checksum";
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
    const unsigned expected = ~sum & 0xFFu;
    if (expected != bytes.back())
        return "its checksum is " + hexByte(bytes.back()) + " where its bytes give " + hexByte(expected);
    return std::nullopt;
}

bool isDataRecord(std::string_view record) { return record[1] >= '1' && record[1] <= '3'; }

}  // namespace

std::variant<FirmwareImage, FirmwareFault> checkFirmwareFile(std::string_view bytes) {
    if (bytes.empty()) return FirmwareFault{0, "the file is empty"};
    FirmwareImage image;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view record = bytes.substr(start, end - start);
        ++lineNumber;
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;
        if (record.empty()) continue;
        if (auto fault = recordFault(record)) return FirmwareFault{lineNumber, *fault};
        if (isDataRecord(record)) ++image.dataRecords;
        image.records.emplace_back(record);
    }
    if (image.dataRecords == 0) return FirmwareFault{0, "the file holds no data record (S1, S2 or S3)"};
    return image;
}

std::string describe(const FirmwareFault& fault) {
    if (fault.line == 0) return fault.reason;
    return "line " + std::to_string(fault.line) + ": " + fault.reason;
}

}  // namespace kestrix
