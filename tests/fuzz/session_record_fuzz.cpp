// The session record's reader on any text, and its escaping on any bytes.
//
// Invariants beyond "no crash":
//   - any bytes, escaped, read back as themselves, and their text holds no line break;
//   - every chunk read from a record, written again, reads back the same to the millisecond;
//   - a record that is refused names a line within the text.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shared/session_record.h"

using kestrix::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const std::string escaped = kestrix::escapeBytes(input);
    require(escaped.find_first_of("\r\n") == std::string::npos, "a line break in escaped bytes");
    std::string back;
    require(kestrix::unescapeBytes(escaped, back) && back == input, "escaped bytes read back differently");

    const std::string record = std::string(kestrix::kSessionRecordHeading) + input;
    for (const std::string& text : {input, record}) {
        const kestrix::ParsedRecord parsed = kestrix::parseRecord(text);
        if (!parsed.error.empty())
            require(parsed.errorLine >= 1 &&
                        parsed.errorLine <= 2 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
                    "a refusal names a line outside the text");
        for (const kestrix::RecordedChunk& chunk : parsed.chunks) {
            const kestrix::ParsedRecord again =
                kestrix::parseRecord(std::string(kestrix::kSessionRecordHeading) + kestrix::recordLine(chunk));
            require(again.error.empty() && again.chunks.size() == 1, "a chunk written again is refused");
            require(again.chunks[0].bytes == chunk.bytes && again.chunks[0].direction == chunk.direction,
                    "a chunk written again reads back differently");
            require(std::fabs(again.chunks[0].utcSeconds - chunk.utcSeconds) < 0.0005,
                    "a chunk's time written again moves");
        }
    }
    return 0;
}
