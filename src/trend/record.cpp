#include "trend/record.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <map>
#include <string_view>
#include <utility>

#include "trend/series.h"

namespace kestrix {

namespace {

constexpr const char* kHeading = "time,query,value,reply\n";
constexpr std::string_view kIntervalPrefix = "# interval ";

// The text with its control characters and backslashes escaped, so that it stays on one line.
std::string escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') out += "\\\\";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (byte < 0x20 || byte == 0x7f) out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        else out += c;
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The reverse of escaped(); an escape it does not know is kept as it stands.
std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\' || next == 'r' || next == 'n' || next == 't') {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hexDigit(text[i + 2]) >= 0 && hexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// What the system said, without the path the file error starts with.
std::string reasonOf(const platform::FileError& error, const std::string& path) {
    const std::string text = error.what();
    return text.starts_with(path + ": ") ? text.substr(path.size() + 2) : text;
}

std::string_view withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    return text;
}

// The seconds of an interval line, or 0 when the line is not one.
double intervalOf(const std::string& line) {
    if (!line.starts_with(kIntervalPrefix) || !line.ends_with(" s")) return 0;
    const std::string number = line.substr(kIntervalPrefix.size(), line.size() - kIntervalPrefix.size() - 2);
    double seconds = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), seconds);
    return error == std::errc() && end == number.data() + number.size() && seconds > 0 ? seconds : 0;
}

// The key counted most often; 0 when none was.
template <class Key>
double mostCommonKey(const std::map<Key, std::size_t>& counts) {
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? 0 : static_cast<double>(most->first);
}

// The most common spacing of the readings of each series, to the whole second (at least one).
double mostCommonSpacing(const RecordedFile& file) {
    std::map<long long, std::size_t> spacings;
    for (const auto& [query, samples] : file.series)
        for (std::size_t i = 1; i < samples.size(); ++i)
            ++spacings[std::max(1LL, std::llround(samples[i].time - samples[i - 1].time))];
    return mostCommonKey(spacings);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string valueText(double value) {
    if (std::isnan(value)) return "";
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);  // the shortest text that reads back exactly
    return std::string(text, result.ptr);
}

// Splits CSV text into records of fields; a record is complete only when its line end lies
// outside quotes. The last record is reported torn when the text does not end with one.
std::vector<std::vector<std::string>> records(const std::string& text, bool& torn) {
    std::vector<std::vector<std::string>> out;
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    std::size_t recordStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c != '"') fields.back() += c;
            else if (i + 1 < text.size() && text[i + 1] == '"') fields.back() += text[++i];
            else inQuotes = false;
        } else if (c == '"') {
            inQuotes = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            if (!fields.back().empty() && fields.back().back() == '\r') fields.back().pop_back();
            out.push_back(std::move(fields));
            fields.assign(1, {});
            recordStart = i + 1;
        } else {
            fields.back() += c;
        }
    }
    torn = recordStart < text.size();  // even a last record of empty quoted fields
    return out;
}

int digits(std::string_view text, std::size_t at, std::size_t count) {
    int n = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

// The time of a recorded line, the date's start looked up once per day: the lines of a long record
// share their date by the tens of thousands. Anything unusual goes to parseIsoUtc.
struct TimeReader {
    std::string date;  // "yyyy-mm-dd" of dayStart
    double dayStart = 0;

    bool read(std::string_view text, double& seconds) {
        // yyyy-mm-ddThh:mm:ss.fffZ
        if (text.size() != 24 || text[10] != 'T' || text[13] != ':' || text[16] != ':' || text[19] != '.' ||
            text[23] != 'Z')
            return parseIsoUtc(std::string(text), seconds);
        const int hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2),
                  millis = digits(text, 20, 3);
        if (hour < 0 || minute < 0 || second < 0 || millis < 0 || hour > 23 || minute > 59 || second > 60)
            return parseIsoUtc(std::string(text), seconds);
        if (text.substr(0, 10) != date) {
            double start = 0;
            if (!parseIsoUtc(std::string(text.substr(0, 10)) + "T00:00:00Z", start)) return false;
            date = text.substr(0, 10);
            dayStart = start;
        }
        seconds = dayStart + hour * 3600 + minute * 60 + second + millis / 1000.0;
        return true;
    }
};

// The usual record, time,"query",value,"reply" with no quote inside the query: its time, query and
// value as views into the record, the reply only checked to be one quoted field. False for any
// other shape, which the general splitting below then takes.
bool splitUsualRecord(std::string_view record, std::string_view& time, std::string_view& query,
                      std::string_view& value) {
    const std::size_t comma1 = record.find(',');
    if (comma1 == std::string_view::npos || comma1 + 1 >= record.size() || record[comma1 + 1] != '"') return false;
    const std::size_t close = record.find('"', comma1 + 2);
    if (close == std::string_view::npos || close + 1 >= record.size() || record[close + 1] != ',') return false;
    const std::size_t comma3 = record.find(',', close + 2);
    if (comma3 == std::string_view::npos) return false;
    std::string_view reply = record.substr(comma3 + 1);
    if (!reply.empty() && reply.back() == '\r') reply.remove_suffix(1);
    if (reply.size() < 2 || reply.front() != '"' || reply.back() != '"') return false;
    const std::string_view inside = reply.substr(1, reply.size() - 2);
    for (std::size_t at = inside.find('"'); at != std::string_view::npos; at = inside.find('"', at + 2))
        if (at + 1 >= inside.size() || inside[at + 1] != '"') return false;  // only doubled quotes inside
    time = record.substr(0, comma1);
    query = record.substr(comma1 + 2, close - comma1 - 2);
    value = record.substr(close + 2, comma3 - close - 2);
    return time.find('"') == std::string_view::npos && value.find('"') == std::string_view::npos;
}

// Splits one record (its line end removed) into fields, quotes undone; false when a quote is
// left open. The fields' strings are reused from record to record.
bool splitRecord(std::string_view record, std::vector<std::string>& fields, std::size_t& count) {
    count = 1;
    if (fields.empty()) fields.emplace_back();
    fields[0].clear();
    bool inQuotes = false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const char c = record[i];
        std::string& field = fields[count - 1];
        if (inQuotes) {
            if (c != '"') field += c;
            else if (i + 1 < record.size() && record[i + 1] == '"') field += record[++i];
            else inQuotes = false;
        } else if (c == '"') {
            inQuotes = true;
        } else if (c == ',') {
            if (++count > fields.size()) fields.emplace_back();
            fields[count - 1].clear();
        } else {
            field += c;
        }
    }
    if (!fields[count - 1].empty() && fields[count - 1].back() == '\r') fields[count - 1].pop_back();
    return !inQuotes;
}

}  // namespace

std::string isoUtc(double seconds) {
    const double whole = std::floor(seconds);
    int millis = static_cast<int>(std::lround((seconds - whole) * 1000));
    auto t = static_cast<std::time_t>(whole);
    if (millis == 1000) ++t, millis = 0;
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, millis);
    return text;
}

bool parseIsoUtc(const std::string& text, double& seconds) {
    // yyyy-mm-ddThh:mm:ss[.fff]Z
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
        text.back() != 'Z')
        return false;
    std::tm utc{};
    utc.tm_year = digits(text, 0, 4) - 1900;
    utc.tm_mon = digits(text, 5, 2) - 1;
    utc.tm_mday = digits(text, 8, 2);
    utc.tm_hour = digits(text, 11, 2);
    utc.tm_min = digits(text, 14, 2);
    utc.tm_sec = digits(text, 17, 2);
    if (utc.tm_year < 0 || utc.tm_mon < 0 || utc.tm_mday < 1 || utc.tm_hour < 0 || utc.tm_min < 0 || utc.tm_sec < 0)
        return false;
    double fraction = 0;
    if (text.size() > 20) {
        if (text[19] != '.') return false;
        double scale = 0.1;
        for (std::size_t i = 20; i + 1 < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            fraction += (text[i] - '0') * scale;
            scale /= 10;
        }
    }
    seconds = static_cast<double>(timegm(&utc)) + fraction;
    return true;
}

std::string recordLine(const RecordedSample& s) {
    return isoUtc(s.time) + "," + quoted(escaped(s.query)) + "," + valueText(s.value) + "," +
           quoted(escaped(withoutLineEnd(s.reply))) + "\n";
}

std::string intervalLine(double seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%.15g", seconds);
    return std::string(kIntervalPrefix) + text + " s";
}

bool RecordWriter::open(const std::string& path, double interval) {
    close();
    error_.clear();
    try {
        file_ = files_.append(path);
    } catch (const platform::FileError& e) {
        error_ = reasonOf(e, path);
        return false;
    }
    const bool empty = file_->size() == 0;
    path_ = path;
    interval_ = interval;
    intervalWritten_ = false;
    if (!put(intervalLine(interval) + "\n" + (empty ? kHeading : ""))) return false;
    intervalWritten_ = true;
    return true;
}

void RecordWriter::setInterval(double seconds) {
    if (seconds == interval_) return;
    interval_ = seconds;
    intervalWritten_ = false;
}

bool RecordWriter::put(const std::string& text) {
    try {
        file_->write(text);
    } catch (const platform::FileError& e) {
        error_ = reasonOf(e, path_);
        close();
        return false;
    }
    return true;
}

void RecordWriter::close() { file_.reset(); }

bool RecordWriter::write(const RecordedSample& sample) {
    if (!file_) return false;
    const std::string line = recordLine(sample);
    if (!intervalWritten_) {
        if (!put(intervalLine(interval_) + "\n" + line)) return false;
        intervalWritten_ = true;
        return true;
    }
    return put(line);
}

std::string RecordedFile::notice(const std::string& path) const {
    std::string text;
    if (tornLastLine) text = "The last line of " + path + " was cut short and was skipped.";
    if (unreadableLines > 0) {
        if (!text.empty()) text += " ";
        text += std::to_string(unreadableLines) + (unreadableLines == 1 ? " line" : " lines") + " of " + path +
                " could not be read and " + (unreadableLines == 1 ? "was" : "were") + " skipped.";
    }
    return text;
}

RecordedFile parseRecordedText(const std::string& text) {
    RecordedFile file;
    bool torn = false;
    const auto lines = records(text, torn);
    file.tornLastLine = torn;
    double interval = 0;  // of the lines that follow; 0: lines of a file from before interval lines
    std::map<double, std::size_t> readingsAt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& fields = lines[i];
        if (!fields.empty() && fields[0] == "time" && (fields.size() == 4)) continue;  // the heading
        if (fields.size() == 1 && fields[0].starts_with("#")) {
            if (const double seconds = intervalOf(fields[0])) interval = seconds;
            continue;
        }
        RecordedSample sample;
        if (fields.size() != 4 || !parseIsoUtc(fields[0], sample.time) || fields[1].empty()) {
            ++file.unreadableLines;
            continue;
        }
        const bool escapes = interval > 0;
        sample.query = escapes ? unescaped(fields[1]) : fields[1];
        sample.value = fields[2].empty() ? std::numeric_limits<double>::quiet_NaN() : leadingValue(fields[2]);
        sample.reply = escapes ? unescaped(fields[3]) : fields[3];
        if (escapes) ++readingsAt[interval];
        auto& list = file.series[sample.query];
        if (list.empty()) file.queries.push_back(sample.query);
        list.push_back(std::move(sample));
    }
    // The interval most readings were taken at; with none said, the most common spacing.
    file.interval = !readingsAt.empty() ? mostCommonKey(readingsAt) : mostCommonSpacing(file);
    return file;
}

RecordedFile scanRecordedFile(platform::Files& files, const std::string& path, const SampleSink& onSample,
                              std::size_t blockSize) {
    RecordedFile file;
    std::unique_ptr<platform::InputFile> in;
    try {
        in = files.open(path);
    } catch (const platform::FileError& e) {
        file.error = reasonOf(e, path);
        return file;
    }
    const std::size_t kBlock = std::max<std::size_t>(blockSize, 1);
    std::vector<char> block(kBlock);
    std::string pending;  // a record not yet ended: its line end lies in a later block, or inside quotes
    bool pendingInQuotes = false;
    std::vector<std::string> fields;
    TimeReader times;
    std::string lastQuery;
    double interval = 0;  // of the lines that follow; 0: lines of a file from before interval lines
    std::map<double, std::size_t> readingsAt;
    std::map<long long, std::size_t> spacings;          // an older file's, to the whole second
    std::map<std::string, double, std::less<>> lastAt;  // an older file's last reading of each query
    auto take = [&](std::string_view record) {
        std::string_view timeText, query, valueText;
        if (!splitUsualRecord(record, timeText, query, valueText)) {
            std::size_t count = 0;
            const bool whole = splitRecord(record, fields, count);
            if (whole && count == 4 && fields[0] == "time") return;   // the heading
            if (whole && count == 1 && fields[0].starts_with("#")) {  // a comment, or the interval
                if (const double seconds = intervalOf(fields[0])) interval = seconds;
                return;
            }
            if (!whole || count != 4) {
                ++file.unreadableLines;
                return;
            }
            timeText = fields[0], query = fields[1], valueText = fields[2];
        }
        if (timeText == "time") return;  // a heading whose fields happen to be quoted
        double time = 0;
        if (query.empty() || !times.read(timeText, time)) {
            ++file.unreadableLines;
            return;
        }
        const double value = valueText.empty() ? std::numeric_limits<double>::quiet_NaN() : leadingValue(valueText);
        std::string unescapedQuery;
        if (interval > 0 && query.find('\\') != std::string_view::npos) query = unescapedQuery = unescaped(query);
        if (interval > 0) {
            ++readingsAt[interval];
        } else {
            if (const auto last = lastAt.find(query); last == lastAt.end()) lastAt.emplace(std::string(query), time);
            else ++spacings[std::max(1LL, std::llround(time - std::exchange(last->second, time)))];
        }
        if (query != lastQuery) {
            lastQuery = query;
            if (std::find(file.queries.begin(), file.queries.end(), lastQuery) == file.queries.end())
                file.queries.push_back(lastQuery);
        }
        onSample(time, lastQuery, value);
    };
    auto readBlock = [&]() -> std::size_t {
        try {
            return in->read(block.data(), kBlock);
        } catch (const platform::FileError& e) {
            file.error = reasonOf(e, path);
            return 0;
        }
    };
    for (std::size_t got; (got = readBlock()) > 0;) {
        std::string_view rest(block.data(), got);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            const std::string_view piece = rest.substr(0, end == std::string_view::npos ? rest.size() : end);
            // A line end inside quotes belongs to the field: the record goes on.
            if (std::count(piece.begin(), piece.end(), '"') % 2 != 0) pendingInQuotes = !pendingInQuotes;
            if (end == std::string_view::npos) {
                pending.append(piece);
                break;
            }
            if (pendingInQuotes) {
                pending.append(piece).push_back('\n');
            } else if (pending.empty()) {
                take(piece);
            } else {
                pending.append(piece);
                take(pending);
                pending.clear();
            }
            rest.remove_prefix(end + 1);
        }
    }
    file.tornLastLine = !pending.empty() || pendingInQuotes;
    file.interval = !readingsAt.empty() ? mostCommonKey(readingsAt) : mostCommonKey(spacings);
    return file;
}

RecordedFile readRecordedFile(platform::Files& files, const std::string& path) {
    std::string text;
    try {
        const auto in = files.open(path);
        char block[1 << 16];
        for (std::size_t got; (got = in->read(block, sizeof block)) > 0;) text.append(block, got);
    } catch (const platform::FileError& e) {
        RecordedFile file;
        file.error = reasonOf(e, path);
        return file;
    }
    return parseRecordedText(text);
}

}  // namespace kestrix
