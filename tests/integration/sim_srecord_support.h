#pragma once

// Builds Motorola S-records for the download tests.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kestrix::sim::testing {

inline std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// A record of the given type with a two-, three- or four-byte address and its checksum.
inline std::string makeRecord(char type, std::uint32_t address, const std::vector<std::uint8_t>& data) {
    const unsigned addressBytes = (type == '2' || type == '8') ? 3 : (type == '3' || type == '7') ? 4 : 2;
    std::vector<unsigned> bytes{static_cast<unsigned>(addressBytes + data.size() + 1)};
    for (unsigned i = addressBytes; i-- > 0;) bytes.push_back((address >> (8 * i)) & 0xFF);
    for (auto d : data) bytes.push_back(d);
    unsigned sum = 0;
    std::string text = std::string("S") + type;
    for (auto b : bytes) {
        sum += b;
        text += hexByte(b);
    }
    return text + hexByte(~sum);
}

// A small firmware image: a header, `count` data records of 16 bytes, and a start record.
inline std::vector<std::string> firmwareRecords(int count) {
    std::vector<std::string> records{makeRecord('0', 0, {'K', 'E', 'S', 'T'})};
    for (int r = 0; r < count; ++r) {
        std::vector<std::uint8_t> data;
        for (int i = 0; i < 16; ++i) data.push_back(static_cast<std::uint8_t>(r * 31 + i * 7));
        records.push_back(makeRecord('1', static_cast<std::uint32_t>(r * 16), data));
    }
    records.push_back(makeRecord('9', 0, {}));
    return records;
}

}  // namespace kestrix::sim::testing
