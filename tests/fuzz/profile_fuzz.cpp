// The settings file's reader and writer on any text: a file, then a section, key and value to
// write, each taken from the fuzzer's bytes.
//
// Invariants beyond "no crash":
//   - a write that is allowed succeeds, and reading the key back gives the value as a fresh file
//     holding only that entry gives it (the value itself when it has no blanks or quotes at its
//     ends);
//   - no other key's value changes;
//   - writing the same entry again leaves the file as it is;
//   - a write that is refused leaves the file untouched.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "fuzz_support.h"
#include "platform/ini_text.h"
#include "platform/memory_profile.h"

namespace {

using kestrix::platform::MemoryProfile;
namespace ini = kestrix::platform::ini;

using kestrix::fuzz::fail;
using kestrix::fuzz::require;

// Splits the input at the first three 0x01 bytes: file text, section, key, value.
std::string part(std::string& rest) {
    const std::size_t end = rest.find('\x01');
    std::string head = rest.substr(0, end);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    return head;
}

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Every (section, key) a line of the text may name; a wrong guess reads as missing either way.
std::set<std::pair<std::string, std::string>> entriesOf(const std::string& text) {
    std::set<std::pair<std::string, std::string>> entries;
    std::string section;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        if (!line.empty() && line[0] == '[') {
            section =
                trimmed(line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1));
        } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
            entries.insert({section, trimmed(line.substr(0, eq))});
        }
        start = end + 1;
    }
    return entries;
}

std::string readWhole(MemoryProfile& profile, const std::string& section, const std::string& key) {
    return kestrix::platform::readWholeString(profile, section, key, "\x02missing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string rest(reinterpret_cast<const char*>(data), size);
    const std::string text = part(rest);
    const std::string section = part(rest);
    const std::string key = part(rest);
    const std::string value = rest;

    MemoryProfile profile(text);
    // Reading never fails, whatever the buffer.
    for (int length : {0, 1, 2, 7, 256})
        require(profile.GetPrivateProfileStringA(section, key, value, length).size() <=
                    static_cast<std::size_t>(std::max(length - 1, 0)),
                "a read longer than its buffer");
    (void)profile.GetPrivateProfileIntA(section, key, -7);

    const bool writable = ini::unwritableReason(section, key, value).empty();
    const bool written = profile.WritePrivateProfileStringA(section, key, value);
    if (!writable) {
        require(!written && profile.text == text, "a refused write changed the file");
        return 0;
    }
    require(written, "an allowed write failed");
    const std::string after = profile.text;

    MemoryProfile fresh;
    require(fresh.WritePrivateProfileStringA(section, key, value), "an allowed write failed on a new file");
    const std::string expected = readWhole(fresh, section, key);
    require(readWhole(profile, section, key) == expected, "a written value does not read back");
    const bool plain = value.empty() || (value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
                                         value.back() != '\t' && value.front() != '"' && value.front() != '\'');
    if (plain) require(expected == value, "a plain value does not read back as written");

    const std::string ownSection = lower(trimmed(section));
    const std::string ownKey = lower(trimmed(key));
    MemoryProfile before(text);
    for (const auto& [otherSection, otherKey] : entriesOf(text)) {
        if (lower(otherSection) == ownSection && lower(otherKey) == ownKey) continue;
        if (otherSection.empty() || otherKey.empty()) continue;
        require(readWhole(before, otherSection, otherKey) == readWhole(profile, otherSection, otherKey),
                "a write changed another key's value");
    }

    require(profile.WritePrivateProfileStringA(section, key, value), "rewriting failed");
    require(profile.text == after, "rewriting the same entry changed the file");
    return 0;
}
