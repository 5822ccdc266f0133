// The recorded trend file's reader on any text, and its writer on whatever the reader found.
//
// Invariants beyond "no crash":
//   - every sample read, written again, is one line: a single line end, at its end, and no CR;
//   - that line, read back under an interval line, gives the same query and the same reply but
//     for the reply's trailing line ends.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "trend/record.h"

namespace {

using kestrix::fuzz::require;

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}

}  // namespace

using namespace kestrix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RecordedFile file = parseRecordedText(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& [query, samples] : file.series) {
        for (RecordedSample sample : samples) {
            sample.time = 0;  // what is checked is the text; any time the reader took is 1970 and later
            const std::string line = recordLine(sample);
            require(line.find('\n') == line.size() - 1 && line.find('\r') == std::string::npos,
                    "a record spans more than one line");
            const RecordedFile back = parseRecordedText(intervalLine(1) + "\n" + line);
            require(back.unreadableLines == 0 && back.series.size() == 1, "a written record does not read back");
            const RecordedSample& again = back.series.begin()->second.front();
            require(again.query == sample.query, "the query changed on the way through");
            require(again.reply == withoutLineEnd(sample.reply), "the reply changed on the way through");
        }
    }
    return 0;
}
