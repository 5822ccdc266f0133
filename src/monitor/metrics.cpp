#include "monitor/metrics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <string_view>

namespace kestrix::monitor {

namespace {

using Type = MetricFamily::Type;
using Labels = std::vector<std::pair<std::string, std::string>>;

// Whether `query` is `known` as the receiver reads it: without its leading colon, in any case, the
// optional lower-case tails of its keywords kept ("SYNC:TINT?" and "SYNCHRONIZATION:TINTERVAL?" stay
// apart). Asked for every trend series of every scrape, so it compares in place.
bool sameQuery(std::string_view query, std::string_view known) {
    if (query.starts_with(':')) query.remove_prefix(1);
    return std::equal(query.begin(), query.end(), known.begin(), known.end(),
                      [](unsigned char a, unsigned char b) { return std::toupper(a) == b; });
}

struct KnownTrend {
    std::vector<const char*> queries;
    const char* gauge;
};
const std::array<KnownTrend, 2> kKnownTrends{{
    {{"SYNC:TINT?", "SYNCHRONIZATION:TINTERVAL?"}, "kestrix_time_interval_seconds"},
    {{"DIAG:ROSC:EFC:ABS?", "DIAGNOSTIC:ROSCILLATOR:EFC:ABSOLUTE?"}, "kestrix_efc"},
}};

// The families in the order they are served.
enum Family {
    kUp,
    kInfo,
    kExchanges,
    kTimeouts,
    kErrorReplies,
    kLastReplyAge,
    kTimeInterval,
    kEfc,
    kTrendValue,
    kStatusByte,
    kAlarmActive,
    kCondition,
    kFamilyCount
};

std::vector<MetricFamily> emptyFamilies() {
    std::vector<MetricFamily> f(kFamilyCount);
    f[kUp] = {"kestrix_receiver_up", "1 while the receiver answers on its link, else 0.", Type::Gauge, {}};
    f[kInfo] = {"kestrix_receiver_info", "The receiver's identity from *idn?, as labels; value 1.", Type::Gauge, {}};
    f[kExchanges] = {"kestrix_exchanges_total", "Exchanges ended with a prompt or a time-out.", Type::Counter, {}};
    f[kTimeouts] = {"kestrix_timeouts_total", "Exchanges the receiver left unanswered.", Type::Counter, {}};
    f[kErrorReplies] = {"kestrix_error_replies_total", "Exchanges answered with an error prompt.", Type::Counter, {}};
    f[kLastReplyAge] = {"kestrix_last_reply_age_seconds", "Seconds since the receiver last answered.", Type::Gauge, {}};
    f[kTimeInterval] = {
        "kestrix_time_interval_seconds", "The time interval the receiver measures (:SYNC:TINT?).", Type::Gauge, {}};
    f[kEfc] = {"kestrix_efc", "The oscillator's electronic frequency control (:DIAG:ROSC:EFC:ABS?).", Type::Gauge, {}};
    f[kTrendValue] = {"kestrix_trend_value", "The latest reading of any other trend query.", Type::Gauge, {}};
    f[kStatusByte] = {"kestrix_status_byte", "The status byte (*STB?).", Type::Gauge, {}};
    f[kAlarmActive] = {"kestrix_alarm_active",
                       "1 while the receiver reports an alarm: a fault condition, or latched events it summarises.",
                       Type::Gauge,
                       {}};
    f[kCondition] = {"kestrix_status_condition", "1 for each named status condition that is set.", Type::Gauge, {}};
    return f;
}

// A label's value as Prometheus accepts it: UTF-8. Text from the line is bytes, read as Latin-1
// (as the console shows it); text that is already UTF-8 (a query from the configuration) stays
// as it is. Control characters become blanks.
std::string labelText(const std::string& bytes) {
    bool utf8 = true;
    for (std::size_t i = 0; i < bytes.size() && utf8;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) utf8 = false;
        for (std::size_t k = 1; utf8 && k < length; ++k)
            utf8 = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        i += std::max<std::size_t>(length, 1);
    }
    std::string text;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (c < 0x20 || c == 0x7F) text += ' ';
        else if (c < 0x80 || utf8) text += byte;
        else text += static_cast<char>(0xC0 | (c >> 6)), text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

Labels with(const std::string& receiver, const Labels& more = {}) {
    Labels labels;
    labels.reserve(more.size() + 1);
    labels.emplace_back("receiver", labelText(receiver));
    for (const auto& [name, value] : more) labels.emplace_back(name, labelText(value));
    return labels;
}

void addReceiver(std::vector<MetricFamily>& f, const ReceiverReadings& r, double now) {
    auto add = [&](Family family, double value, const Labels& more = {}) {
        f[family].samples.push_back({with(r.name, more), value});
    };
    add(kUp, r.up ? 1 : 0);
    if (r.identity)
        add(kInfo, 1,
            {{"manufacturer", r.identity->manufacturer},
             {"model", r.identity->model},
             {"serial_number", r.identity->serialNumber},
             {"firmware", r.identity->firmware}});
    add(kExchanges, static_cast<double>(r.exchanges));
    add(kTimeouts, static_cast<double>(r.timeouts));
    add(kErrorReplies, static_cast<double>(r.errorReplies));
    if (r.lastReply) add(kLastReplyAge, std::max(0.0, now - *r.lastReply));
    for (const auto& [query, value] : r.trend) {
        const TrendGauge gauge = trendGaugeOf(query);
        const Family family = gauge.name == "kestrix_time_interval_seconds" ? kTimeInterval
                              : gauge.name == "kestrix_efc"                 ? kEfc
                                                                            : kTrendValue;
        add(family, value, gauge.labels);
    }
    if (r.statusByte) add(kStatusByte, static_cast<double>(*r.statusByte));
    add(kAlarmActive, r.alarm.active ? 1 : 0);
    for (std::size_t reg = 0; reg < kConditionRegisters; ++reg) {
        if (!r.conditions[reg]) continue;
        const auto which = static_cast<ConditionRegister>(reg);
        for (const std::string& name : conditionNames(which, *r.conditions[reg]))
            add(kCondition, 1, {{"register", registerLabel(which)}, {"condition", name}});
    }
}

}  // namespace

TrendGauge trendGaugeOf(const std::string& query) {
    for (const KnownTrend& known : kKnownTrends)
        for (const char* q : known.queries)
            if (sameQuery(query, q)) return {known.gauge, {}};
    return {"kestrix_trend_value", {{"query", query}}};
}

std::vector<MetricFamily> metricFamilies(const std::vector<ReceiverReadings>& receivers, double utcNow) {
    std::vector<MetricFamily> families = emptyFamilies();
    for (const ReceiverReadings& r : receivers) addReceiver(families, r, utcNow);
    return families;
}

}  // namespace kestrix::monitor
