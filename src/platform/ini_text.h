#pragma once

// The INI text engine behind the profile calls: lookups and edits on a whole file's text held in
// memory. An edit changes only the line (or inserts only the lines) it must; every other line,
// comment, blank line and line end stays exactly as it was.
//
// Text form: "[Section]" header lines, then "key=value" lines. Names match without regard to
// case; blanks (spaces and tabs) around names and values are dropped on reading; a value wrapped
// in a pair of matching quotes (single or double) is read without them. Lines starting with ';'
// or '#' are comments. Lines before the first header belong to no section. A line ends at CR,
// LF, CR LF or CR CR LF, whichever the editor used, so no CR is ever part of a name or value. A
// UTF-8 byte-order mark at the head of the text is skipped on reading and kept on rewriting.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform::ini {

// The value of `key` in `section`, or nothing when the section or key is missing. When a section
// or key appears more than once, the first key line found wins.
std::optional<std::string> lookup(std::string_view text, std::string_view section, std::string_view key);

// `text` with `key` in `section` set to `value`: the value is replaced in place (the key keeps
// its spelling), or the key is added after the last key line of its section, or the section is
// added at the end of the text. New lines use the text's own line end, CR LF for a new text.
// The entry must be writable (see unwritableReason).
std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

// Why an entry cannot be stored in an INI text (a line break anywhere, an empty name, a ']' in
// a section name, a '=' in a key), or empty when it can.
std::string unwritableReason(std::string_view section, std::string_view key, std::string_view value);

// The integer a stored value stands for: decimal digits after leading blanks, with an optional
// plus or minus sign, up to the first other character; no digits gives 0. Saturates at the int limits.
int integerValue(std::string_view value);

// What a buffer of `bufferLength` characters keeps of `text`: one place is the terminator.
std::string fitToBuffer(std::string_view text, int bufferLength);

// One line of a text as the reading rules see it, for a reader that checks a whole file.
struct ReadLine {
    enum class Kind { Blank, Comment, Section, Key, Unreadable };
    int number = 0;  // from 1
    Kind kind = Kind::Blank;
    std::string name;   // section or key name, trimmed
    std::string value;  // key lines: the value as lookup() reads it
};
std::vector<ReadLine> readLines(std::string_view text);

namespace detail {

enum class LineKind { Other, Section, Key };

// One line of a text: where it starts, its content and its line end (none on a last line that
// has none), and what it is.
struct Line {
    std::size_t begin = 0;
    std::string_view content;
    std::string_view ending;
    LineKind kind = LineKind::Other;
    std::string_view name;        // section or key name, trimmed
    std::size_t valueOffset = 0;  // key lines: where the value starts within the content
};

}  // namespace detail

// A text split into its lines once, for any number of lookups and edits of that same text, with
// the results of the calls above on it. It holds its own copy of the text, which its lines point
// into, so it is neither copied nor moved. Its first lookup indexes every key, so that reading
// many keys does not walk the lines for each.
class Document {
public:
    explicit Document(std::string text);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const std::string& text() const { return text_; }
    std::optional<std::string> lookup(std::string_view section, std::string_view key) const;
    std::string withValue(std::string_view section, std::string_view key, std::string_view value) const;

private:
    using Keys = std::map<std::pair<std::string, std::string>, std::size_t>;

    std::string text_;
    std::vector<detail::Line> lines_;
    // Section and key names in lower case, to the first key line that has them.
    mutable std::optional<Keys> keys_;
};

// The profile calls' reading rules on a file's text (empty for a missing file). A default text
// is returned without its trailing blanks.
int readInt(std::string_view text, std::string_view section, std::string_view key, int defaultValue);
std::string readString(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view defaultValue, int bufferLength);
int readInt(const Document& document, std::string_view section, std::string_view key, int defaultValue);
std::string readString(const Document& document, std::string_view section, std::string_view key,
                       std::string_view defaultValue, int bufferLength);

}  // namespace kestrix::platform::ini
