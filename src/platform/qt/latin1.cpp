#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

QString fromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

char toByte(QChar c) {
    if (c.unicode() <= 0xFF) return static_cast<char>(c.unicode());
    return c.isSpace() ? ' ' : '?';
}

std::string toBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) bytes += toByte(c);
    return bytes;
}

QString linesFromBytes(std::string_view bytes) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(bytes.size()));
    bool first = true;
    for (const std::string_view line : splitLines(bytes)) {
        if (!first) shown += QLatin1Char('\n');
        first = false;
        shown += fromBytes(line);
    }
    return shown;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        // CR LF, and the LF CR the program's notices use, are each one line break.
        if (i + 1 < text.size() && text[i + 1] != text[i] && (text[i + 1] == '\r' || text[i + 1] == '\n')) ++i;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace kestrix::platform::qt
