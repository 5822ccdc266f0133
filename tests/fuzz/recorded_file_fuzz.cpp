// A recorded trend file of any bytes, read a block at a time as the window opens it, against the
// same text read whole; then its time-interval readings through every stability statistic.
//
// Invariants beyond "no crash":
//   - whatever the block size, the streamed reading gives the queries, samples (time and value, in
//     order), skipped lines and torn last line that reading the whole text gives;
//   - every statistic's count is at most the readings it could use, and a point with error bars
//     has low <= value <= high.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/fake_files.h"
#include "trend/analysis.h"
#include "trend/record.h"

namespace {

using kestrix::fuzz::require;
using namespace kestrix;

platform::FakeFiles files;

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrix::fuzz::Input input{data, size};
    const std::size_t block = 1 + input.byte() % 64;
    const std::string text = input.bytes(size);

    const std::string path = "/record.csv";
    files.contents[path] = text;

    const RecordedFile whole = parseRecordedText(text);
    std::map<std::string, std::vector<std::pair<double, double>>> streamed;
    const RecordedFile scan = scanRecordedFile(
        files, path,
        [&](double t, const std::string& q, double v) {
            streamed[q].push_back({t, v});
        },
        block);
    require(scan.error.empty(), "the file reads");
    require(scan.queries == whole.queries, "the same queries in the same order");
    require(scan.tornLastLine == whole.tornLastLine, "the same torn last line");
    require(scan.unreadableLines == whole.unreadableLines, "the same lines skipped");
    require(scan.interval == whole.interval, "the same interval");
    require(streamed.size() == whole.series.size(), "the same series");
    for (const auto& [query, samples] : whole.series) {
        const auto& got = streamed[query];
        require(got.size() == samples.size(), "the same number of samples");
        for (std::size_t i = 0; i < samples.size(); ++i)
            require(got[i].first == samples[i].time && same(got[i].second, samples[i].value), "the same samples");
    }

    if (whole.series.empty()) return 0;
    std::vector<double> phase;
    for (const RecordedSample& s : whole.series.begin()->second) phase.push_back(s.value);
    const std::size_t readings = phase.size();
    const AnalysisChoice all{{kStatistics.begin(), kStatistics.end()}, input.byte() % 2 == 1};
    for (const StatisticCurve& curve : analyse(std::move(phase), 1.0, all))
        for (const StatisticPoint& p : curve.points) {
            require(p.deviation.count <= readings, "no more terms than readings");
            if (std::isfinite(p.interval.low) && std::isfinite(p.deviation.value))
                require(p.interval.low <= p.deviation.value && p.deviation.value <= p.interval.high,
                        "the error bar holds its value");
        }
    return 0;
}
