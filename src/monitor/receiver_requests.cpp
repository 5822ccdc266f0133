#include "monitor/receiver_requests.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "shared/query_groups.h"
#include "trend/series.h"

namespace kestrix::monitor {

namespace {

// The condition queries, by ConditionRegister.
constexpr std::array<const char*, kConditionRegisters> kConditionQueries{
    ":STAT:OPER:COND?", ":STAT:OPER:HOLD:COND?", ":STAT:OPER:HARD:COND?", ":STAT:OPER:POW:COND?", ":STAT:QUES:COND?"};

}  // namespace

ReceiverRequests::ReceiverRequests(const ReceiverConfig& config, bool clearAlarms, ReceiverReadings& readings)
    : config_(config), clearAlarms_(clearAlarms), readings_(readings) {}

double ReceiverRequests::nextRound(double scheduled, double now, double interval) {
    // Rounds keep their rhythm; after a long stall (a lost link) they start afresh.
    return (scheduled == 0 || now - scheduled >= interval) ? now + interval : scheduled + interval;
}

void ReceiverRequests::queueStatusRound() {
    queue_.push_back({Kind::Identity, 0, "*idn?"});
    for (std::size_t r = 0; r < kConditionQueries.size(); ++r)
        queue_.push_back({Kind::Condition, static_cast<int>(r), kConditionQueries[r]});
    queue_.push_back({Kind::StatusByte, 0, "*STB?"});
    if (clearAlarms_) {
        causeValues_ = {};
        causeReadWhole_ = true;
        for (int i = 1; i <= queryCount(kAlarmCauseGroup); ++i)
            queue_.push_back({Kind::AlarmCause, i, queryCommand(kAlarmCauseGroup, i)});
    }
}

void ReceiverRequests::queueTrendRound() {
    for (std::size_t i = 0; i < config_.trend.size(); ++i)
        queue_.push_back({Kind::Trend, static_cast<int>(i), config_.trend[i]});
}

bool ReceiverRequests::due(double now) {
    if (awaiting_) return false;
    if (queue_.empty()) {
        // A status round goes first: it names the receiver and its alarm state.
        if (now >= nextStatus_) {
            nextStatus_ = nextRound(nextStatus_, now, config_.statusSeconds);
            queueStatusRound();
        }
        if (now >= nextTrend_ && !config_.trend.empty()) {
            nextTrend_ = nextRound(nextTrend_, now, config_.intervalSeconds);
            queueTrendRound();
        }
    }
    return !queue_.empty();
}

double ReceiverRequests::nextDue(double now) const {
    if (!queue_.empty()) return now;
    return config_.trend.empty() ? nextStatus_ : std::min(nextTrend_, nextStatus_);
}

std::string ReceiverRequests::start(double now) {
    if (queue_.empty()) queueTrendRound();
    if (queue_.empty()) queueStatusRound();
    current_ = queue_.front();
    queue_.pop_front();
    awaiting_ = true;
    sentAt_ = now;
    return current_.text;
}

void ReceiverRequests::received(const std::string& reply) {
    if (!awaiting_) return;
    awaiting_ = false;
    settle(current_, &reply);
}

void ReceiverRequests::failed() {
    if (!awaiting_) return;
    awaiting_ = false;
    settle(current_, nullptr);
}

// A reply (null for none) goes where its query's kind says; the last query of a status round
// ends it.
void ReceiverRequests::settle(const Query& query, const std::string* reply) {
    switch (query.kind) {
        case Kind::Trend: {
            const double value = reply ? leadingValue(*reply) : std::numeric_limits<double>::quiet_NaN();
            readings_.trend[query.text] = value;
            if (onSample) onSample(query.text, sentAt_, value, reply ? *reply : std::string{});
            return;
        }
        case Kind::Identity:
            if (reply) readings_.identity = parseIdentity(*reply);
            break;
        case Kind::Condition:
            readings_.conditions[static_cast<std::size_t>(query.index)] =
                reply ? std::optional<RegisterValue>(registerValue(*reply)) : std::nullopt;
            break;
        case Kind::StatusByte:
            readings_.statusByte = reply ? std::optional<RegisterValue>(registerValue(*reply)) : std::nullopt;
            break;
        case Kind::AlarmCause:
            if (reply) causeValues_[static_cast<std::size_t>(query.index)] = registerValue(*reply);
            else causeReadWhole_ = false;
            if (query.index == queryCount(kAlarmCauseGroup))
                readings_.latchedCauses =
                    causeReadWhole_ ? decodedCauses(decodeAlarmCauses(causeValues_)) : std::vector<std::string>{};
            break;
    }
    const bool roundEnds = queue_.empty() || queue_.front().kind == Kind::Trend;
    if (roundEnds && onStatusRound) onStatusRound();
}

}  // namespace kestrix::monitor
