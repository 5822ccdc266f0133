// The whole-file check of a firmware file on any bytes.
//
// Invariants beyond "no crash":
//   - the check never throws;
//   - an accepted file: its records are its non-empty lines, in order and as many; every record
//     checked alone is accepted (or, when it carries no data, refused only for that); every
//     record's byte count and checksum are right; the data records are counted right;
//   - a refused file names a line within the file, or line 0 only for a reason about the file as a
//     whole;
//   - a line end appended, or every CR LF turned into LF, leaves the verdict as it was: the same
//     records, or the same reason (with the same line when the file holds no CR of its own).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "download/firmware_file.h"
#include "fuzz_support.h"

namespace kestrix {
namespace {

using fuzz::fail;
using fuzz::require;

using Verdict = std::variant<FirmwareImage, FirmwareFault>;

Verdict check(std::string_view bytes) {
    try {
        return checkFirmwareFile(bytes);
    } catch (...) {
        fail("the check threw");
    }
}

// The file's lines, each line end being CR LF, LF or CR.
std::vector<std::string> linesOf(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += bytes[i];
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A record as the receiver takes it: its bytes add up, and its byte count is theirs.
void requireSound(const std::string& record) {
    require(record.size() >= 4 && record[0] == 'S' && record[1] >= '0' && record[1] <= '9' && record[1] != '4',
            "an accepted record has no type");
    require(record.size() % 2 == 0, "an accepted record has an odd number of digits");
    std::vector<unsigned> bytes;
    for (std::size_t i = 2; i < record.size(); i += 2) {
        const int high = hexValue(record[i]);
        const int low = hexValue(record[i + 1]);
        require(high >= 0 && low >= 0, "an accepted record holds a non-hexadecimal digit");
        bytes.push_back(static_cast<unsigned>(high * 16 + low));
    }
    require(bytes[0] == bytes.size() - 1, "an accepted record's byte count is wrong");
    static constexpr std::size_t kAddressBytes[] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
    require(bytes[0] >= kAddressBytes[record[1] - '0'] + 1, "an accepted record is too short for its address");
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
    require(((~sum) & 0xFFu) == bytes.back(), "an accepted record's checksum is wrong");
}

bool isData(const std::string& record) { return record[1] >= '1' && record[1] <= '3'; }

bool sameVerdict(const Verdict& a, const Verdict& b, bool sameLine) {
    if (a.index() != b.index()) return false;
    if (const auto* image = std::get_if<FirmwareImage>(&a)) {
        const auto& other = std::get<FirmwareImage>(b);
        return image->records == other.records && image->dataRecords == other.dataRecords;
    }
    const auto& fault = std::get<FirmwareFault>(a);
    const auto& other = std::get<FirmwareFault>(b);
    // A file refused as a whole ("empty", "no data record") may be refused as a whole for another
    // of those reasons once a line end is added.
    if (fault.line == 0 || other.line == 0) return fault.line == other.line;
    return fault.reason == other.reason && (!sameLine || fault.line == other.line);
}

std::string crlfToLf(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) out += bytes[i];
    return out;
}

}  // namespace
}  // namespace kestrix

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrix;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Verdict verdict = check(bytes);
    const std::vector<std::string> lines = linesOf(bytes);

    if (const auto* image = std::get_if<FirmwareImage>(&verdict)) {
        std::vector<std::string> nonEmpty;
        for (const auto& line : lines)
            if (!line.empty()) nonEmpty.push_back(line);
        require(image->records == nonEmpty, "the records are not the file's non-empty lines in order");
        std::size_t data = 0;
        for (const auto& record : image->records) {
            requireSound(record);
            if (isData(record)) ++data;
            const Verdict alone = check(record);
            if (isData(record)) {
                const auto* single = std::get_if<FirmwareImage>(&alone);
                require(single != nullptr && single->records == std::vector<std::string>{record},
                        "an accepted data record is refused alone");
            } else {
                const auto* fault = std::get_if<FirmwareFault>(&alone);
                require(fault != nullptr && fault->line == 0, "a record without data is refused alone for itself");
            }
        }
        require(data == image->dataRecords && data > 0, "the data records are miscounted");
    } else {
        const auto& fault = std::get<FirmwareFault>(verdict);
        require(fault.line <= lines.size(), "a refusal names a line beyond the file");
        require(!fault.reason.empty(), "a refusal gives no reason");
        if (fault.line > 0) require(!lines[fault.line - 1].empty(), "a refusal names an empty line");
    }

    const bool ownCr = crlfToLf(bytes).find('\r') != std::string::npos;
    for (const char* end : {"\n", "\r\n"}) {
        const std::string longer = std::string(bytes) + end;
        require(sameVerdict(verdict, check(longer), true), "a line end appended changes the verdict");
    }
    require(sameVerdict(verdict, check(crlfToLf(bytes)), !ownCr), "CR LF turned into LF changes the verdict");
    return 0;
}
