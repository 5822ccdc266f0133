#pragma once

// Bytes of the program as text of the widgets: every byte is the Latin-1 character of its value.

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform::qt {

QString fromBytes(std::string_view bytes);
// A character outside Latin-1 becomes '?', or ' ' when it is a blank.
char toByte(QChar c);
// Characters outside Latin-1 become '?', except blanks, which become ' '.
std::string toBytes(const QString& text);
// The bytes with every line break (CR LF, LF CR, a lone CR or a lone LF) shown as '\n'.
QString linesFromBytes(std::string_view bytes);
// The lines of a text, split at CR LF, LF CR, a lone CR or a lone LF.
std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace kestrix::platform::qt
