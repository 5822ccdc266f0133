#include "trend/sampler.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "trend/series.h"

namespace kestrix {

namespace {
// The round starts the achieved interval is taken over.
constexpr std::size_t kRoundsKept = 9;
// A poll of the view is sent while holding only when this much longer than the last one still
// ends before the next slot.
constexpr double kPollMargin = 1.25;
constexpr double kPollSlack = 0.05;
}  // namespace

void TrendSampler::setQueries(std::vector<std::string> queries) {
    queries_ = std::move(queries);
    std::erase_if(
        turn_, [&](const std::string& q) { return std::find(queries_.begin(), queries_.end(), q) == queries_.end(); });
}

void TrendSampler::setInterval(double seconds) {
    interval_ = std::clamp(seconds, kShortestInterval, kLongestInterval);
    restartSchedule();
}

void TrendSampler::setPaused(bool paused) {
    paused_ = paused;
    turn_.clear();  // a round cut short keeps its slot no longer
    roundStarts_.clear();
}

void TrendSampler::restartSchedule() {
    scheduled_ = false;
    turn_.clear();
    roundStarts_.clear();
}

void TrendSampler::beginRound(double now) {
    if (!scheduled_) {
        scheduled_ = true;
        origin_ = std::round(now * 1000) / 1000;  // to the millisecond a record keeps
        nextSlot_ = 0;
    }
    // The latest slot whose time has come: slots passed over while a round ran late are gaps.
    const auto latest = static_cast<std::int64_t>(std::floor((now - origin_) / interval_ + 1e-9));
    const std::int64_t slot = std::max(nextSlot_, latest);
    roundSlotTime_ = slotTime(slot);
    nextSlot_ = slot + 1;
    turn_.assign(queries_.begin(), queries_.end());
    roundStarts_.push_back(now);
    if (roundStarts_.size() > kRoundsKept) roundStarts_.pop_front();
}

bool TrendSampler::due(double now) {
    if (viewPollStart_ >= 0) {
        viewPollSeconds_ = now - viewPollStart_;
        viewPollStart_ = -1;
    }
    if (!sampling() || awaiting_) return false;
    if (viewsTurn_) {
        viewsTurn_ = false;
        if (!holdingView_) return false;
    }
    if (turn_.empty()) {
        if (scheduled_ && now < slotTime(nextSlot_)) return false;
        beginRound(now);
    }
    return true;
}

std::string TrendSampler::start(double now) {
    if (turn_.empty()) beginRound(now);
    query_ = turn_.front();
    turn_.pop_front();
    sampleTime_ = roundSlotTime_;
    awaiting_ = true;
    viewsTurn_ = true;
    return query_;
}

void TrendSampler::received(const std::string& reply) {
    if (!awaiting_) return;
    awaiting_ = false;
    if (onSample) onSample(query_, sampleTime_, leadingValue(reply), reply);
}

void TrendSampler::failed() {
    if (!awaiting_) return;
    awaiting_ = false;
    if (onSample) onSample(query_, sampleTime_, std::numeric_limits<double>::quiet_NaN(), "");
}

bool TrendSampler::viewMayPoll(double now) const {
    if (!holdingView_ || !sampling()) return true;
    if (!turn_.empty() || awaiting_ || !scheduled_) return false;
    return now + viewPollSeconds_ * kPollMargin + kPollSlack <= slotTime(nextSlot_);
}

void TrendSampler::viewPolled(double now) { viewPollStart_ = now; }

double TrendSampler::achievedInterval() const {
    if (roundStarts_.size() < 2) return 0;
    std::vector<double> steps;
    for (std::size_t i = 1; i < roundStarts_.size(); ++i) steps.push_back(roundStarts_[i] - roundStarts_[i - 1]);
    auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

void TrendSampler::interrupted(double now) {
    if (!sampling()) return;
    const std::string awaited = awaiting_ ? query_ : std::string();
    failed();
    // The other queries' gaps take the first slot the break passes over.
    const double gapTime = scheduled_ ? slotTime(nextSlot_) : now;
    for (const std::string& query : queries_)
        if (query != awaited && onSample) onSample(query, gapTime, std::numeric_limits<double>::quiet_NaN(), "");
    turn_.clear();
    viewsTurn_ = false;
}

}  // namespace kestrix
