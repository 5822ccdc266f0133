#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "shared/sample_requests.h"

namespace kestrix {

// When the trend's queries go out. Requests follow a schedule of slots `interval` seconds apart,
// counted from the moment sampling began: in each slot every query is due once. The main window's
// tick asks at an idle tick whether one is due (after a waiting Control & Query command, before
// the view's poll) and sends them one at a time. A reading belongs to the slot of the round that
// asked for it and is stamped with that slot's time, however late its reply came; a round that
// could not start before the next slot came due gives way to it, and the slot it had is a gap.
//
// Between samples the view's poll gets the next idle tick, so the status screen goes on however
// short the interval. Where the view's polls keep the interval from being met, the user may hold
// them while sampling: then a round's queries go back to back and the view is polled only when
// its poll fits before the next slot.
//
// The link calls start() when it writes a sample and received() when its reply ends with the
// accepted prompt. When a sample's exchange ends any other way (an error prompt, a time-out, the
// port closed), the link's end of the exchange calls failed(): the sample becomes a gap.
class TrendSampler final : public SampleRequests {
public:
    static constexpr double kShortestInterval = 1;
    static constexpr double kLongestInterval = 3600;

    // A finished sample: its query, its slot's time (UTC seconds), its value (NaN for a gap) and
    // the reply as received (empty for a gap).
    std::function<void(const std::string& query, double time, double value, const std::string& reply)> onSample;

    void setQueries(std::vector<std::string> queries);
    const std::vector<std::string>& queries() const { return queries_; }
    // Clamped to 1 s .. 1 h; a new schedule begins with a round at the first chance.
    void setInterval(double seconds);
    double interval() const { return interval_; }
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // Holds the view's polls while sampling (see above).
    void setHoldingView(bool holding) { holdingView_ = holding; }
    bool holdingView() const { return holdingView_; }

    // True when a sample should go out now (one per call at most; the caller then calls start()).
    bool due(double now) override;
    // The query to write; the sample is awaited from now on.
    std::string start(double now) override;
    bool awaiting() const override { return awaiting_; }
    void received(const std::string& reply) override;
    void failed() override;
    // The port went away at `now` (UTC seconds): the sample awaited fails, and every other query
    // gets a gap at the first slot the break passes over, so that a recording and the plot show
    // the break instead of joining the readings on either side of it. Sampling goes on at the
    // slot due once the link is back.
    void interrupted(double now) override;

    // Whether the view may be polled now, and that it is: the link asks before each poll of the
    // view while the trend samples and tells when it sends one.
    bool viewMayPoll(double now) const override;
    void viewPolled(double now) override;

    // The median time between the starts of the last rounds, 0 until two have started since the
    // schedule began (or sampling resumed).
    double achievedInterval() const;

private:
    bool sampling() const { return !paused_ && !queries_.empty(); }
    double slotTime(std::int64_t slot) const { return origin_ + static_cast<double>(slot) * interval_; }
    void beginRound(double now);
    void restartSchedule();

    std::vector<std::string> queries_;
    double interval_ = 10;
    bool paused_ = false;
    bool holdingView_ = false;
    bool scheduled_ = false;        // false: the next round begins the schedule, at the first chance
    double origin_ = 0;             // the time of slot 0
    std::int64_t nextSlot_ = 0;     // the slot the next round is for
    double roundSlotTime_ = 0;      // the slot time of the round under way
    std::deque<std::string> turn_;  // the queries of the current round not yet sent
    std::deque<double> roundStarts_;
    bool viewsTurn_ = false;
    bool awaiting_ = false;
    std::string query_;
    double sampleTime_ = 0;
    double viewPollStart_ = -1;   // while a poll of the view is under way
    double viewPollSeconds_ = 0;  // how long the last one took, 0 until one was seen
};

}  // namespace kestrix
