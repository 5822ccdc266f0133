#include "shared/session_record.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace kestrix {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string utcText(double utcSeconds) {
    const auto milliseconds = static_cast<long long>(std::llround(utcSeconds * 1000.0));
    const long long fraction = ((milliseconds % 1000) + 1000) % 1000;
    const auto whole = static_cast<std::time_t>((milliseconds - fraction) / 1000);
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(fraction));
    return text;
}

// The number in text[at, at + digits), all of them digits; -1 otherwise.
int digitsAt(std::string_view text, std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "2026-12-08T09:42:46.123Z", exactly as written.
bool readUtc(std::string_view text, double& utcSeconds) {
    if (text.size() != 24 || text.substr(4, 1) != "-" || text.substr(7, 1) != "-" || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[23] != 'Z')
        return false;
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    const int millisecond = digitsAt(text, 20, 3);
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60 || millisecond < 0)
        return false;
    std::tm utc{};
    utc.tm_year = year - 1900, utc.tm_mon = month - 1, utc.tm_mday = day;
    utc.tm_hour = hour, utc.tm_min = minute, utc.tm_sec = second;
    utcSeconds = static_cast<double>(timegm(&utc)) + millisecond / 1000.0;
    return true;
}

std::string_view nextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

std::string readHeading(std::string_view line) {
    constexpr std::string_view kStart = "# Kestrix session record, format ";
    if (!line.starts_with(kStart)) return "not a Kestrix session record";
    const std::string number(line.substr(kStart.size()));
    if (number != std::to_string(kSessionRecordFormat))
        return "format " + number + " is not one this program reads (it reads format " +
               std::to_string(kSessionRecordFormat) + ")";
    return {};
}

std::string readChunk(std::string_view line, RecordedChunk& chunk) {
    if (line.size() < 27 || line[24] != ' ' || line[26] != ' ') return "expected \"<time> <direction> <bytes>\"";
    if (!readUtc(line.substr(0, 24), chunk.utcSeconds)) return "the time is not YYYY-MM-DDThh:mm:ss.mmmZ";
    if (line[25] != '>' && line[25] != '<') return "the direction is neither '>' nor '<'";
    chunk.direction = static_cast<TrafficDirection>(line[25]);
    chunk.bytes.clear();
    if (!unescapeBytes(line.substr(27), chunk.bytes)) return "a malformed escape in the bytes";
    return {};
}

}  // namespace

std::string escapeBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool trailingSpace = byte == ' ' && i + 1 == bytes.size();
        if (byte == '\\') text += "\\\\";
        else if (byte == '\r') text += "\\r";
        else if (byte == '\n') text += "\\n";
        else if (byte == '\t') text += "\\t";
        else if (byte >= 0x20 && byte < 0x7f && !trailingSpace) text += static_cast<char>(byte);
        else text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
    return text;
}

bool unescapeBytes(std::string_view text, std::string& bytes) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\': bytes += '\\'; break;
            case 'r': bytes += '\r'; break;
            case 'n': bytes += '\n'; break;
            case 't': bytes += '\t'; break;
            case 'x': {
                const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
                if (high < 0 || low < 0) return false;
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return false;
        }
    }
    return true;
}

std::string recordLine(const RecordedChunk& chunk) {
    return utcText(chunk.utcSeconds) + ' ' + static_cast<char>(chunk.direction) + ' ' + escapeBytes(chunk.bytes) + '\n';
}

ParsedRecord parseRecord(std::string_view text) {
    ParsedRecord record;
    const auto fail = [&record](std::size_t number, const std::string& why) {
        record.errorLine = number;
        record.error = "line " + std::to_string(number) + ": " + why;
        return record;
    };
    if (const std::string why = readHeading(nextLine(text)); !why.empty()) return fail(1, why);
    for (std::size_t number = 2; !text.empty(); ++number) {
        const std::string_view line = nextLine(text);
        if (line.empty() || line.starts_with('#')) continue;
        RecordedChunk chunk;
        if (const std::string why = readChunk(line, chunk); !why.empty()) return fail(number, why);
        record.chunks.push_back(std::move(chunk));
    }
    return record;
}

}  // namespace kestrix
