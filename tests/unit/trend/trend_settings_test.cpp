#include "trend/trend_settings.h"

#include <gtest/gtest.h>

#include "platform/memory_profile.h"

namespace kestrix {
namespace {

TEST(TrendSettings, KeepsSeriesIntervalAndRecordFileInASectionOfTheirOwn) {
    platform::MemoryProfile profile("[Ports]\r\nCom1=/dev/ttyUSB0\r\n[Trend]\r\nSeries3=:OLD?\r\n");
    TrendSettings settings{{":SYNC:TINT?", ":DIAG:ROSC:EFC:ABS?"}, 60, "/home/lab/tint trend.csv", true};
    EXPECT_EQ(writeTrendSettings(profile, settings), "");
    const TrendSettings back = readTrendSettings(profile);
    EXPECT_EQ(back.series, settings.series);  // the third series written empty is gone
    EXPECT_EQ(back.intervalSeconds, 60);
    EXPECT_EQ(back.recordFile, "/home/lab/tint trend.csv");
    EXPECT_TRUE(back.holdView);
    EXPECT_NE(profile.text.find("[Ports]\r\nCom1=/dev/ttyUSB0\r\n"), std::string::npos);
}

TEST(TrendSettings, DefaultsAndOutOfRangeValues) {
    platform::MemoryProfile empty;
    const TrendSettings none = readTrendSettings(empty);
    EXPECT_TRUE(none.series.empty());
    EXPECT_EQ(none.intervalSeconds, 10);
    EXPECT_EQ(none.recordFile, "");
    EXPECT_FALSE(none.holdView);
    platform::MemoryProfile odd("[Trend]\r\nInterval=0\r\nSeries1=:A?\r\nSeries2=:A?\r\nSeries4=:B?\r\n");
    const TrendSettings read = readTrendSettings(odd);
    EXPECT_EQ(read.intervalSeconds, 1);
    EXPECT_EQ(read.series, (std::vector<std::string>{":A?", ":B?"}));
    platform::MemoryProfile failing;
    failing.failWrites = "Read-only file system";
    EXPECT_EQ(writeTrendSettings(failing, TrendSettings{}), "Read-only file system");
}

TEST(TrendSettings, KeepTheStabilityChoiceByName) {
    platform::MemoryProfile profile;
    TrendSettings settings;
    EXPECT_EQ(readTrendSettings(profile).statistics, (std::vector<Statistic>{Statistic::Adev, Statistic::Tdev}));
    settings.statistics = {Statistic::Mtie, Statistic::Mdev, Statistic::TieRms};
    settings.masks = {Mask::G8272PrtcB, Mask::G811Prc};
    settings.errorBars = false;
    settings.removeDrift = true;
    EXPECT_EQ(writeTrendSettings(profile, settings), "");
    EXPECT_NE(profile.text.find("Statistics=MDEV,TIERMS,MTIE\r\nMasks=PRC,PRTC-B\r\nErrorBars=0\r\nRemoveDrift=1"),
              std::string::npos);
    const TrendSettings back = readTrendSettings(profile);
    EXPECT_EQ(back.statistics, (std::vector<Statistic>{Statistic::Mdev, Statistic::TieRms, Statistic::Mtie}));
    EXPECT_EQ(back.masks, (std::vector<Mask>{Mask::G811Prc, Mask::G8272PrtcB}));
    EXPECT_FALSE(back.errorBars);
    EXPECT_TRUE(back.removeDrift);
    // Edited by hand: case and blanks do not matter, unknown names and repeats are dropped.
    platform::MemoryProfile edited("[Trend]\r\nStatistics= hdev , Allan,HDEV,mtie\r\nMasks=prtc-a,G.999\r\n");
    EXPECT_EQ(readTrendSettings(edited).statistics, (std::vector<Statistic>{Statistic::Hdev, Statistic::Mtie}));
    EXPECT_EQ(readTrendSettings(edited).masks, (std::vector<Mask>{Mask::G8272PrtcA}));
}

}  // namespace
}  // namespace kestrix
