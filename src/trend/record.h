#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace kestrix {

// Recorded trend files: comma-separated lines "time,query,value,reply" under a heading line, the
// time in UTC as ISO 8601 with milliseconds, the value empty for a gap, the reply as received. A
// record is one line: the reply is written without its line end, and the query and the reply
// have a backslash, tab, CR, LF or any other control character written as \\, \t, \r, \n or
// \xHH; both are quoted with their quotes doubled, so commas in them survive.
//
// A comment line "# interval 10 s" gives the sampling interval of the lines that follow, each
// stamped with the time of its slot on the schedule of requests; one opens every file and every
// later stretch of appending. Files written before there was such a line have no escapes (a
// reply's line ends are in the quoted text) and stamps as the requests went out; for those the
// interval is the most common spacing of a series' readings, to the whole second.

// "2026-12-07T11:02:03.250Z" for UTC seconds since 1970.
std::string isoUtc(double seconds);
// The reverse; false when the text is not such a time.
bool parseIsoUtc(const std::string& text, double& seconds);

// One recorded line.
struct RecordedSample {
    double time = 0;
    std::string query;
    double value = 0;  // NaN for a gap
    std::string reply;
};

std::string recordLine(const RecordedSample& sample);
// "# interval 10 s"
std::string intervalLine(double seconds);

// Appends samples to a file, one line each, handed to the system as soon as it is written, so a
// program killed mid-run loses at most the line it was writing.
class RecordWriter {
public:
    explicit RecordWriter(platform::Files& files) : files_(files) {}

    // Opens `path` for appending, writing the interval line (and into an empty file the heading
    // line) at once; false (with error() saying why) when it cannot.
    bool open(const std::string& path, double interval);
    // A new interval: its line goes before the next sample.
    void setInterval(double seconds);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    // Writes one line; false (and the file closed, error() saying why) when the system refuses it.
    bool write(const RecordedSample& sample);
    const std::string& error() const { return error_; }

private:
    bool put(const std::string& text);

    platform::Files& files_;
    std::unique_ptr<platform::OutputFile> file_;
    double interval_ = 0;
    bool intervalWritten_ = false;
    std::string path_;
    std::string error_;
};

// A recorded file read back: its samples by query, in file order.
struct RecordedFile {
    std::map<std::string, std::vector<RecordedSample>> series;
    std::vector<std::string> queries;  // in the order they first appear
    double interval = 0;               // seconds; 0 when the file holds no two readings of a series
    bool tornLastLine = false;         // the last line was cut short (the program ended mid-write) and was skipped
    std::size_t unreadableLines = 0;   // other lines that were not samples, skipped
    std::string error;                 // set when the file could not be read at all
    // What the window says about lines it skipped; empty when none was.
    std::string notice(const std::string& path) const;
};

RecordedFile parseRecordedText(const std::string& text);
RecordedFile readRecordedFile(platform::Files& files, const std::string& path);

// Reads a recorded file a block at a time and hands each sample to `onSample` as it is read,
// keeping neither the file nor the replies: a month of one-second samples opens in a few seconds
// and in the memory of the readings alone. The result has the queries, the skipped lines and the
// error, but no samples; when the file cannot be opened at all nothing is handed over.
using SampleSink = std::function<void(double time, const std::string& query, double value)>;
RecordedFile scanRecordedFile(platform::Files& files, const std::string& path, const SampleSink& onSample,
                              std::size_t blockSize = 1 << 20);

}  // namespace kestrix
