#include "receiver-sim/srecord.h"

#include <array>
#include <vector>

namespace kestrix::sim {

namespace {

// Bytes of address each record type carries; 0 marks the reserved type S4.
constexpr std::array<std::size_t, 10> kAddressBytes{2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view digits) {
    if (digits.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexValue(digits[i]);
        const int low = hexValue(digits[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

}  // namespace

std::string describe(SRecordFault fault) {
    switch (fault) {
        case SRecordFault::Syntax: return "S-record syntax";
        case SRecordFault::Length: return "S-record length";
        case SRecordFault::Checksum: return "S-record checksum";
    }
    return "S-record";
}

std::variant<SRecord, SRecordFault> checkSRecord(std::string_view text) {
    if (text.size() < 4 || text[0] != 'S' || text[1] < '0' || text[1] > '9') return SRecordFault::Syntax;
    const std::size_t addressBytes = kAddressBytes[static_cast<std::size_t>(text[1] - '0')];
    if (addressBytes == 0) return SRecordFault::Syntax;
    const auto bytes = hexBytes(text.substr(2));
    if (!bytes) return SRecordFault::Syntax;
    const std::size_t count = (*bytes)[0];
    if (count != bytes->size() - 1 || count < addressBytes + 1) return SRecordFault::Length;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes->size(); ++i) sum += (*bytes)[i];
    if (static_cast<std::uint8_t>(~sum & 0xFF) != bytes->back()) return SRecordFault::Checksum;
    SRecord record{text[1], 0, std::string(text)};
    for (std::size_t i = 1; i <= addressBytes; ++i) record.address = record.address << 8 | (*bytes)[i];
    return record;
}

}  // namespace kestrix::sim
