#include "trend/sampler.h"

#include <algorithm>
#include <limits>

#include "trend/series.h"

namespace kestrix::trend {

void TrendSampler::setQueries(std::vector<std::string> queries) {
    queries_ = std::move(queries);
    std::erase_if(
        turn_, [&](const std::string& q) { return std::find(queries_.begin(), queries_.end(), q) == queries_.end(); });
}

void TrendSampler::setInterval(double seconds) {
    interval_ = std::clamp(seconds, kShortestInterval, kLongestInterval);
    nextRound_ = 0;
}

bool TrendSampler::due(double now) {
    if (paused_ || queries_.empty() || awaiting_) return false;
    if (viewsTurn_) {
        viewsTurn_ = false;
        return false;
    }
    if (turn_.empty()) {
        if (nextRound_ != 0 && now < nextRound_) return false;
        turn_.assign(queries_.begin(), queries_.end());
        // Rounds keep their rhythm; after a long stall (a download, a lost link) they start afresh.
        nextRound_ = (nextRound_ == 0 || now - nextRound_ >= interval_) ? now + interval_ : nextRound_ + interval_;
    }
    return true;
}

std::string TrendSampler::start(double now) {
    query_ = turn_.empty() ? queries_.front() : turn_.front();
    if (!turn_.empty()) turn_.pop_front();
    sentAt_ = now;
    awaiting_ = true;
    viewsTurn_ = true;
    return query_;
}

void TrendSampler::received(const std::string& reply) {
    if (!awaiting_) return;
    awaiting_ = false;
    if (onSample) onSample(query_, sentAt_, leadingValue(reply), reply);
}

void TrendSampler::failed() {
    if (!awaiting_) return;
    awaiting_ = false;
    if (onSample) onSample(query_, sentAt_, std::numeric_limits<double>::quiet_NaN(), "");
}

void TrendSampler::interrupted(double now) {
    if (paused_ || queries_.empty()) return;
    const std::string awaited = awaiting_ ? query_ : std::string();
    failed();
    for (const std::string& query : queries_)
        if (query != awaited && onSample) onSample(query, now, std::numeric_limits<double>::quiet_NaN(), "");
    turn_.clear();
    viewsTurn_ = false;
    nextRound_ = 0;
}

}  // namespace kestrix::trend
