#include "platform/ini_text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace kestrix::platform::ini {

using detail::Line;
using detail::LineKind;

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view s) {
    std::string result(s);
    for (char& c : result) c = lower(c);
    return result;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

Line classify(Line line) {
    const std::string_view body = trimmed(line.content);
    if (body.empty() || body.front() == ';' || body.front() == '#') return line;
    if (body.front() == '[') {
        const auto close = body.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = trimmed(body.substr(1, close - 1));
        }
        return line;
    }
    const auto equals = line.content.find('=');
    if (equals == std::string_view::npos) return line;
    line.name = trimmed(line.content.substr(0, equals));
    if (line.name.empty()) return line;
    line.kind = LineKind::Key;
    line.valueOffset = equals + 1;
    return line;
}

// Where the lines start: after a UTF-8 byte-order mark, which some editors put at the head of
// the file and which belongs to no line.
std::size_t firstLineStart(std::string_view text) {
    return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

// The line end at `position` (CR, LF, CR LF, or CR CR LF as a CR LF file gets when passed through
// a text-mode copy), or its length 0 when none starts there.
std::size_t lineEndLength(std::string_view text, std::size_t position) {
    if (text[position] == '\n') return 1;
    if (text[position] != '\r') return 0;
    if (text.substr(position, 3) == "\r\r\n") return 3;
    if (text.substr(position, 2) == "\r\n") return 2;
    return 1;
}

// Finds where each line ends: memchr for CR and for LF, each remembered until the lines pass
// it, so that a text with one kind of line end is searched for the other kind only once.
class LineBreaks {
public:
    LineBreaks(std::string_view text, std::size_t from)
        : text_(text), nextLf_(find('\n', from)), nextCr_(find('\r', from)) {}

    // The first CR or LF at or after `from`, or the text's size when there is none.
    std::size_t next(std::size_t from) {
        if (nextLf_ < from) nextLf_ = find('\n', from);
        if (nextCr_ < from) nextCr_ = find('\r', from);
        return std::min(nextLf_, nextCr_);
    }

private:
    std::size_t find(char c, std::size_t from) const {
        if (from >= text_.size()) return text_.size();
        const void* at = std::memchr(text_.data() + from, c, text_.size() - from);
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text_.data()) : text_.size();
    }

    std::string_view text_;
    std::size_t nextLf_;
    std::size_t nextCr_;
};

// The line that starts at `begin`.
Line lineAt(std::string_view text, std::size_t begin, LineBreaks& breaks) {
    Line line;
    line.begin = begin;
    const std::size_t contentEnd = breaks.next(begin);
    const std::size_t next = contentEnd == text.size() ? contentEnd : contentEnd + lineEndLength(text, contentEnd);
    line.content = text.substr(begin, contentEnd - begin);
    line.ending = text.substr(contentEnd, next - contentEnd);
    return classify(line);
}

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    lines.reserve(16);
    std::size_t begin = firstLineStart(text);
    LineBreaks breaks(text, begin);
    while (begin < text.size()) {
        lines.push_back(lineAt(text, begin, breaks));
        begin += lines.back().content.size() + lines.back().ending.size();
    }
    return lines;
}

// The line end new lines take: the text's first one, CR LF when it has none.
std::string_view lineEndOf(const std::vector<Line>& lines) {
    for (const auto& line : lines)
        if (!line.ending.empty()) return line.ending;
    return "\r\n";
}

// Where a key stands, or failing that, the line of its section the key goes after.
struct Location {
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> insertAfter;  // last key line (or header) of the first matching section
};

Location locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    section = trimmed(section);
    key = trimmed(key);
    Location where;
    bool inSection = false;
    bool firstSectionDone = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Section) {
            if (inSection) firstSectionDone = true;
            inSection = sameName(line.name, section);
            if (inSection && !firstSectionDone && !where.insertAfter) where.insertAfter = i;
        } else if (inSection && line.kind == LineKind::Key) {
            if (sameName(line.name, key)) {
                where.keyLine = i;
                return where;
            }
            if (!firstSectionDone) where.insertAfter = i;
        }
    }
    return where;
}

std::string valueOf(const Line& line) {
    return std::string(withoutQuotes(trimmed(line.content.substr(line.valueOffset))));
}

std::optional<std::string> lookupIn(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    const auto where = locate(lines, section, key);
    if (!where.keyLine) return std::nullopt;
    return valueOf(lines[*where.keyLine]);
}

// What setting a key does to the text: at `position`, `erased` characters give way to `insertion`.
struct Edit {
    std::size_t position = 0;
    std::size_t erased = 0;
    std::string insertion;
};

Edit editFor(std::size_t textSize, const std::vector<Line>& lines, std::string_view section, std::string_view key,
             std::string_view value) {
    const std::string eol(lineEndOf(lines));
    const auto where = locate(lines, section, key);
    const std::string entry = std::string(trimmed(key)) + "=" + std::string(value);

    Edit edit;
    edit.position = textSize;
    if (where.keyLine) {
        const Line& line = lines[*where.keyLine];
        edit.position = line.begin + line.valueOffset;
        edit.erased = line.content.size() - line.valueOffset;
        edit.insertion = value;
    } else if (where.insertAfter) {
        const Line& line = lines[*where.insertAfter];
        edit.position = line.begin + line.content.size() + line.ending.size();
        edit.insertion = (line.ending.empty() ? eol : "") + entry + eol;
    } else {
        const bool endsOpen = !lines.empty() && lines.back().ending.empty();
        edit.insertion = (endsOpen ? eol : "") + "[" + std::string(trimmed(section)) + "]" + eol + entry + eol;
    }
    return edit;
}

std::string applied(std::string_view text, const Edit& edit) {
    std::string result;
    result.reserve(text.size() + edit.insertion.size());
    result.append(text.substr(0, edit.position));
    result.append(edit.insertion);
    result.append(text.substr(edit.position + edit.erased));
    return result;
}

std::string withValueIn(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                        std::string_view key, std::string_view value) {
    return applied(text, editFor(text.size(), lines, section, key, value));
}

int intOf(const std::optional<std::string>& value, int defaultValue) {
    return value ? integerValue(*value) : defaultValue;
}

std::string stringOf(const std::optional<std::string>& value, std::string_view defaultValue, int bufferLength) {
    if (value) return fitToBuffer(*value, bufferLength);
    while (!defaultValue.empty() && isBlank(defaultValue.back())) defaultValue.remove_suffix(1);
    return fitToBuffer(defaultValue, bufferLength);
}

}  // namespace

std::vector<ReadLine> readLines(std::string_view text) {
    std::vector<ReadLine> result;
    int number = 0;
    for (const Line& line : splitLines(text)) {
        ReadLine read;
        read.number = ++number;
        read.name = std::string(line.name);
        const std::string_view body = trimmed(line.content);
        if (line.kind == LineKind::Section) read.kind = ReadLine::Kind::Section;
        else if (line.kind == LineKind::Key) read.kind = ReadLine::Kind::Key, read.value = valueOf(line);
        else if (body.empty()) read.kind = ReadLine::Kind::Blank;
        else if (body.front() == ';' || body.front() == '#') read.kind = ReadLine::Kind::Comment;
        else read.kind = ReadLine::Kind::Unreadable;
        result.push_back(std::move(read));
    }
    return result;
}

std::optional<std::string> lookup(std::string_view text, std::string_view section, std::string_view key) {
    return lookupIn(splitLines(text), section, key);
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
    return withValueIn(text, splitLines(text), section, key, value);
}

Document::Document(std::string text) : text_(std::move(text)), lines_(splitLines(text_)) {}

std::optional<std::string> Document::lookup(std::string_view section, std::string_view key) const {
    if (!keys_) {
        // As locate finds them: key lines under a header, the first of each name in each
        // section's name winning, whichever of that section's blocks it stands in.
        keys_.emplace();
        std::optional<std::string> current;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const Line& line = lines_[i];
            if (line.kind == LineKind::Section) current = lowered(line.name);
            else if (line.kind == LineKind::Key && current) keys_->try_emplace({*current, lowered(line.name)}, i);
        }
    }
    const auto found = keys_->find({lowered(trimmed(section)), lowered(trimmed(key))});
    if (found == keys_->end()) return std::nullopt;
    return valueOf(lines_[found->second]);
}

std::string Document::withValue(std::string_view section, std::string_view key, std::string_view value) const {
    return withValueIn(text_, lines_, section, key, value);
}

std::string unwritableReason(std::string_view section, std::string_view key, std::string_view value) {
    const auto hasLineBreak = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) return "a line break cannot be stored";
    if (trimmed(section).empty()) return "the section name is empty";
    if (section.find(']') != std::string_view::npos) return "a section name cannot hold ']'";
    const std::string_view keyName = trimmed(key);
    if (keyName.empty()) return "the key name is empty";
    if (key.find('=') != std::string_view::npos) return "a key name cannot hold '='";
    if (keyName.front() == '[' || keyName.front() == ';' || keyName.front() == '#')
        return "a key name cannot start with '[', ';' or '#'";
    return {};
}

int integerValue(std::string_view value) {
    value = trimmed(value);
    const bool negative = !value.empty() && value.front() == '-';
    if (negative || (!value.empty() && value.front() == '+')) value.remove_prefix(1);
    long long magnitude = 0;
    for (char c : value) {
        if (c < '0' || c > '9') break;
        if (magnitude <= static_cast<long long>(INT_MAX) + 1) magnitude = magnitude * 10 + (c - '0');
    }
    if (negative) return magnitude > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

std::string fitToBuffer(std::string_view text, int bufferLength) {
    if (bufferLength <= 0) return {};
    return std::string(text.substr(0, static_cast<std::size_t>(bufferLength) - 1));
}

int readInt(std::string_view text, std::string_view section, std::string_view key, int defaultValue) {
    return intOf(lookup(text, section, key), defaultValue);
}

std::string readString(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view defaultValue, int bufferLength) {
    return stringOf(lookup(text, section, key), defaultValue, bufferLength);
}

int readInt(const Document& document, std::string_view section, std::string_view key, int defaultValue) {
    return intOf(document.lookup(section, key), defaultValue);
}

std::string readString(const Document& document, std::string_view section, std::string_view key,
                       std::string_view defaultValue, int bufferLength) {
    return stringOf(document.lookup(section, key), defaultValue, bufferLength);
}

}  // namespace kestrix::platform::ini
