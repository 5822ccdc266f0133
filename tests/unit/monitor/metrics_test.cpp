#include "monitor/metrics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrix::monitor {
namespace {

const MetricFamily& family(const std::vector<MetricFamily>& families, const std::string& name) {
    for (const MetricFamily& f : families)
        if (f.name == name) return f;
    throw std::runtime_error("no family " + name);
}

TEST(Metrics, EverySeriesCarriesItsReceiverInBaseUnits) {
    ReceiverReadings a;
    a.name = "rack1";
    a.up = true;
    a.exchanges = 40;
    a.timeouts = 2;
    a.lastReply = 1000;
    a.identity = Identity{"Morvandelle", "73408K", "RX-1", "R9.q"};
    a.trend = {{":SYNC:TINT?", 2.5e-8}, {"diag:rosc:efc:abs?", 47.5}, {":PTIM:LEAP?", std::nan("")}};
    a.conditions[static_cast<std::size_t>(ConditionRegister::Hardware)] = 512 + 8192;
    a.conditions[static_cast<std::size_t>(ConditionRegister::Operation)] = 2 + 32;
    a.alarm.active = true;
    ReceiverReadings b;
    b.name = "rack2";

    const auto families = metricFamilies({a, b}, 1002.5);
    for (const MetricFamily& f : families) {
        EXPECT_EQ(f.name.ends_with("_total"), f.type == MetricFamily::Type::Counter) << f.name;
        for (const MetricSample& s : f.samples) EXPECT_EQ(s.labels.front().first, "receiver") << f.name;
    }
    EXPECT_EQ(family(families, "kestrix_receiver_up").samples.size(), 2u);
    EXPECT_EQ(family(families, "kestrix_receiver_info").samples.size(), 1u) << "no identity, no info";
    EXPECT_EQ(family(families, "kestrix_last_reply_age_seconds").samples.at(0).value, 2.5);
    EXPECT_EQ(family(families, "kestrix_time_interval_seconds").samples.at(0).value, 2.5e-8);
    EXPECT_EQ(family(families, "kestrix_efc").samples.at(0).value, 47.5) << "the query's spelling does not matter";
    const MetricSample& other = family(families, "kestrix_trend_value").samples.at(0);
    EXPECT_EQ(other.labels.at(1), (std::pair<std::string, std::string>{"query", ":PTIM:LEAP?"}));
    EXPECT_TRUE(std::isnan(other.value)) << "a gap";
    std::vector<std::string> conditions;
    for (const MetricSample& s : family(families, "kestrix_status_condition").samples)
        conditions.push_back(s.labels.at(1).second + "/" + s.labels.at(2).second);
    EXPECT_EQ(conditions, (std::vector<std::string>{"OPER/Locked Operation", "OPER:HARD/GPS Failure"}))
        << "summary and unnamed bits are no conditions";
}

// Prometheus refuses a whole scrape over one label that is not UTF-8: bytes from the line are read
// as Latin-1, as the console shows them.
TEST(Metrics, LabelsFromTheLineAreUtf8) {
    ReceiverReadings r;
    r.name = "rack1";
    r.identity = Identity{"M\xF6rvandelle\x01", "73408K", "\xFF\xFE", "R7.c"};
    r.trend = {
        {":MEAS:TEMP? \xC2\xB0"
         "C",
         1}};
    const auto families = metricFamilies({r}, 0);
    const auto& info = family(families, "kestrix_receiver_info").samples.at(0).labels;
    EXPECT_EQ(info.at(1).second, "M\xC3\xB6rvandelle ");
    EXPECT_EQ(info.at(3).second, "\xC3\xBF\xC3\xBE");
    EXPECT_EQ(family(families, "kestrix_trend_value").samples.at(0).labels.at(1).second,
              ":MEAS:TEMP? \xC2\xB0"
              "C");
}

TEST(Metrics, ATrendQueryFeedsItsGaugeInAnySpellingOfItsOwn) {
    const std::pair<const char*, const char*> cases[] = {
        {":SYNC:TINT?", "kestrix_time_interval_seconds"},
        {"sync:tint?", "kestrix_time_interval_seconds"},
        {":Synchronization:TInterval?", "kestrix_time_interval_seconds"},
        {":DIAG:ROSC:EFC:ABS?", "kestrix_efc"},
        {":SYNC:TINT", "kestrix_trend_value"},
        {":SYNC:TINT?:", "kestrix_trend_value"},
        {"::SYNC:TINT?", "kestrix_trend_value"},
        {":SYNC:TI?", "kestrix_trend_value"},
        {"", "kestrix_trend_value"},
    };
    for (const auto& [query, gauge] : cases) {
        const TrendGauge got = trendGaugeOf(query);
        EXPECT_EQ(got.name, gauge) << query;
        EXPECT_EQ(got.labels.empty(), std::string(gauge) != "kestrix_trend_value") << query;
    }
}

TEST(Metrics, DecodedCausesAreTheIndentedLinesWithoutMarks) {
    EXPECT_EQ(decodedCauses("\r\nOPERATION SUMMARY:\r\n    HARDWARE SUMMARY:\r\n        GPS Failure+\r\n        EFC "
                            "at Limit+-\r\nSTANDARD EVENT SUMMARY:\r\n     \r\n     Power On"),
              (std::vector<std::string>{"GPS Failure", "EFC at Limit", "Power On"}));
    EXPECT_TRUE(decodedCauses("None ").empty());
}

}  // namespace
}  // namespace kestrix::monitor
