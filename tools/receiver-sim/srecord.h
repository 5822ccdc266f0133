#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kestrix::sim {

// A Motorola S-record that passed its checks.
struct SRecord {
    char type = '0';  // '0' to '9', never '4'
    std::uint32_t address = 0;
    std::string text;  // as received, e.g. "S1130000285F..."
};

// Why a record was refused, for the error detail ("S-record checksum").
enum class SRecordFault { Syntax, Length, Checksum };
std::string describe(SRecordFault fault);

// Checks a record's syntax (S, a type digit, hexadecimal pairs), its length byte against the
// pairs that follow it and against the type's address size, and its checksum (the ones'
// complement of the low byte of the sum of the length, address and data bytes).
std::variant<SRecord, SRecordFault> checkSRecord(std::string_view text);

}  // namespace kestrix::sim
