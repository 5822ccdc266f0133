#pragma once

// What the monitor asks one receiver, and when: its trend queries every Interval seconds, and
// every Status seconds its identity, the condition registers and the status byte (which reading
// leaves as they are), and, only where ClearAlarms=1 allows it, the alarm-cause group (whose
// event registers the receiver clears as they are read). The link sends them one at a time at its
// idle ticks, as it sends the trend window's samples.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "monitor/monitor_config.h"
#include "monitor/receiver_readings.h"
#include "shared/sample_requests.h"

namespace kestrix::monitor {

class ReceiverRequests final : public SampleRequests {
public:
    ReceiverRequests(const ReceiverConfig& config, bool clearAlarms, ReceiverReadings& readings);

    // A trend query's answer (NaN and an empty reply for a gap), sent at `time` (UTC seconds).
    std::function<void(const std::string& query, double time, double value, const std::string& reply)> onSample;
    // A status round has ended; the readings hold what it found.
    std::function<void()> onStatusRound;

    bool due(double now) override;
    std::string start(double now) override;
    bool awaiting() const override { return awaiting_; }
    void received(const std::string& reply) override;
    void failed() override;

    // The UTC time at which a query is next due: now when a round is under way.
    double nextDue(double now) const;
    // The next status round goes out at once (the link has just come up).
    void statusSoon() { nextStatus_ = 0; }

private:
    enum class Kind { Trend, Identity, Condition, StatusByte, AlarmCause };
    struct Query {
        Kind kind;
        int index;  // the trend query, the condition register, or the alarm-cause group's index
        std::string text;
    };

    void queueStatusRound();
    void queueTrendRound();
    void settle(const Query& query, const std::string* reply);
    static double nextRound(double scheduled, double now, double interval);

    const ReceiverConfig& config_;
    bool clearAlarms_;
    ReceiverReadings& readings_;
    std::deque<Query> queue_;
    Query current_{Kind::Trend, 0, {}};
    bool awaiting_ = false;
    double sentAt_ = 0;
    double nextTrend_ = 0;  // 0: at the first chance
    double nextStatus_ = 0;
    AlarmQueryValues causeValues_{};
    bool causeReadWhole_ = true;
};

}  // namespace kestrix::monitor
