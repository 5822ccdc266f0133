#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kestrix::trend {

// When the trend's queries go out. Every `interval` seconds each query is due once; the main
// window's tick asks at an idle tick whether one is due (after a waiting Control & Query command,
// before the view's poll) and sends them one at a time. After each sample the view's poll gets
// the next idle tick, so status polling goes on between samples however short the interval.
//
// The link calls start() when it writes a sample and received() when its reply ends with the
// accepted prompt. When a sample's exchange ends any other way (an error prompt, a time-out, the
// port closed), the link's end of the exchange calls failed(): the sample becomes a gap.
class TrendSampler {
public:
    static constexpr double kShortestInterval = 1;
    static constexpr double kLongestInterval = 3600;

    // A finished sample: its query, when it was sent (UTC seconds), its value (NaN for a gap) and
    // the reply as received (empty for a gap).
    std::function<void(const std::string& query, double time, double value, const std::string& reply)> onSample;

    void setQueries(std::vector<std::string> queries);
    const std::vector<std::string>& queries() const { return queries_; }
    // Clamped to 1 s .. 1 h; the next round is due an interval after the last one began.
    void setInterval(double seconds);
    double interval() const { return interval_; }
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }

    // True when a sample should go out now (one per call at most; the caller then calls start()).
    bool due(double now);
    // The query to write; the sample is awaited from now on.
    std::string start(double now);
    bool awaiting() const { return awaiting_; }
    void received(const std::string& reply);
    void failed();

private:
    std::vector<std::string> queries_;
    double interval_ = 10;
    bool paused_ = false;
    double nextRound_ = 0;          // 0: at the first chance
    std::deque<std::string> turn_;  // the queries of the current round not yet sent
    bool viewsTurn_ = false;
    bool awaiting_ = false;
    std::string query_;
    double sentAt_ = 0;
};

}  // namespace kestrix::trend
