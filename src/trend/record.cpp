#include "trend/record.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>

#include "trend/series.h"

namespace kestrix::trend {

namespace {

constexpr const char* kHeading = "time,query,value,reply\n";

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
    torn = false;
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
        } else {
            fields.back() += c;
        }
    }
    torn = fields.size() > 1 || !fields.front().empty() || inQuotes;
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
    return value.find('"') == std::string_view::npos;
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
    return isoUtc(s.time) + "," + quoted(s.query) + "," + valueText(s.value) + "," + quoted(s.reply) + "\n";
}

RecordWriter::~RecordWriter() { close(); }

bool RecordWriter::open(const std::string& path) {
    close();
    error_.clear();
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        error_ = std::strerror(errno);
        return false;
    }
    std::fseek(file, 0, SEEK_END);  // where an appending stream starts is the library's choice
    if (std::ftell(file) == 0 && (std::fputs(kHeading, file) < 0 || std::fflush(file) != 0)) {
        error_ = std::strerror(errno);
        std::fclose(file);
        return false;
    }
    file_ = file;
    path_ = path;
    return true;
}

void RecordWriter::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool RecordWriter::write(const RecordedSample& sample) {
    if (!file_) return false;
    const std::string line = recordLine(sample);
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
        error_ = std::strerror(errno);
        close();
        return false;
    }
    return true;
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
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& fields = lines[i];
        if (i == 0 && !fields.empty() && fields[0] == "time") continue;  // the heading
        RecordedSample sample;
        if (fields.size() != 4 || !parseIsoUtc(fields[0], sample.time) || fields[1].empty()) {
            ++file.unreadableLines;
            continue;
        }
        sample.query = fields[1];
        sample.value = fields[2].empty() ? std::numeric_limits<double>::quiet_NaN() : leadingValue(fields[2]);
        sample.reply = fields[3];
        auto& list = file.series[sample.query];
        if (list.empty()) file.queries.push_back(sample.query);
        list.push_back(std::move(sample));
    }
    return file;
}

RecordedFile scanRecordedFile(const std::string& path, const SampleSink& onSample, std::size_t blockSize) {
    RecordedFile file;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        file.error = std::strerror(errno);
        return file;
    }
    const std::size_t kBlock = std::max<std::size_t>(blockSize, 1);
    std::vector<char> block(kBlock);
    std::string pending;  // a record not yet ended: its line end lies in a later block, or inside quotes
    bool pendingInQuotes = false;
    std::vector<std::string> fields;
    std::size_t recordIndex = 0;
    TimeReader times;
    std::string lastQuery;
    auto take = [&](std::string_view record) {
        std::string_view timeText, query, valueText;
        if (recordIndex++ == 0 || !splitUsualRecord(record, timeText, query, valueText)) {
            std::size_t count = 0;
            const bool whole = splitRecord(record, fields, count);
            if (recordIndex == 1 && count >= 1 && fields[0] == "time") return;  // the heading
            if (!whole || count != 4) {
                ++file.unreadableLines;
                return;
            }
            timeText = fields[0], query = fields[1], valueText = fields[2];
        }
        double time = 0;
        if (query.empty() || !times.read(timeText, time)) {
            ++file.unreadableLines;
            return;
        }
        const double value = valueText.empty() ? std::numeric_limits<double>::quiet_NaN() : leadingValue(valueText);
        if (query != lastQuery) {
            lastQuery = query;
            if (std::find(file.queries.begin(), file.queries.end(), lastQuery) == file.queries.end())
                file.queries.push_back(lastQuery);
        }
        onSample(time, lastQuery, value);
    };
    for (std::size_t got; (got = std::fread(block.data(), 1, kBlock, in)) > 0;) {
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
    if (std::ferror(in)) file.error = std::strerror(errno);
    std::fclose(in);
    file.tornLastLine = !pending.empty() || pendingInQuotes;
    return file;
}

RecordedFile readRecordedFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        RecordedFile file;
        file.error = std::strerror(errno);
        return file;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseRecordedText(text.str());
}

}  // namespace kestrix::trend
