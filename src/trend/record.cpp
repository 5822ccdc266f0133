#include "trend/record.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>

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

int digits(const std::string& text, std::size_t at, std::size_t count) {
    int n = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
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
