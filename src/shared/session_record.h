#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// A session record: every chunk of bytes that crossed the receiver's line, as text.
//
//   # Kestrix session record, format 1
//   # COM1 9600,n,8,1
//   2026-12-08T09:42:46.123Z > *IDN?\r\n
//   2026-12-08T09:42:46.180Z < Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi >\x20
//
// One line per chunk: its UTC time to the millisecond, the direction ('>' sent to the receiver,
// '<' received from it), one space, then the bytes. Printable ASCII stands for itself; a
// backslash is "\\", CR, LF and tab are "\r", "\n" and "\t", every other byte (and a space that
// ends the line, which editors tend to drop) is "\xNN". Lines starting with '#' are comments; the
// first one names the format.

inline constexpr int kSessionRecordFormat = 1;
inline constexpr std::string_view kSessionRecordHeading = "# Kestrix session record, format 1\n";

enum class TrafficDirection : char { Sent = '>', Received = '<' };

struct RecordedChunk {
    double utcSeconds = 0;  // since 1970-01-01 00:00 UTC
    TrafficDirection direction = TrafficDirection::Sent;
    std::string bytes;
    bool operator==(const RecordedChunk&) const = default;
};

// The bytes written as the record writes them, and read back; unescapeBytes returns false on a
// malformed escape.
std::string escapeBytes(std::string_view bytes);
bool unescapeBytes(std::string_view text, std::string& bytes);

// "2026-12-08T09:42:46.123Z > ...\n"
std::string recordLine(const RecordedChunk& chunk);

struct ParsedRecord {
    std::vector<RecordedChunk> chunks;
    std::string error;  // "line 7: ...", empty when the whole record was read
    std::size_t errorLine = 0;
};

// Reads a whole record. Stops at the first line it cannot read, keeping what came before.
ParsedRecord parseRecord(std::string_view text);

}  // namespace kestrix
