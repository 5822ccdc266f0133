#include "trend/trend_window.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>

#include "support/rig.h"

namespace kestrix::trend {
namespace {

constexpr double kDay = 1796601600;  // 2026-12-07T00:00:00Z

std::string temporaryPath() {
    char path[] = "/tmp/kestrix-trend-window-XXXXXX";
    close(mkstemp(path));
    std::remove(path);
    return path;
}

struct TrendWindowTest : ::testing::Test {
    testing::Rig rig;
    FrmTrend& form = rig.forms.frmTrend;
    TrendWindow& trend = rig.app->trend();
    std::vector<std::string> saveAnswers;

    void SetUp() override {
        trend.host.saveFileName = [this](const std::string&, const std::string&,
                                         const std::string&) -> std::optional<std::string> {
            if (saveAnswers.empty()) return std::nullopt;
            std::string path = saveAnswers.front();
            saveAnswers.erase(saveAnswers.begin());
            return path;
        };
    }
    // The nine-point test data as phase, one reading a second.
    void feedNinePoint() {
        double x = 0;
        trend.addSample(kTimeIntervalQuery, kDay, 0, "+0");
        for (double y : {892, 809, 823, 798, 671, 644, 883, 903, 677}) {
            x += y;
            trend.addSample(kTimeIntervalQuery, kDay + trend.series()[0]->ring.size(), x * 1e-9, "reply");
        }
    }
};

TEST_F(TrendWindowTest, OpensFromTheFunctionMenuWithBothPresetsAndKeepsThemInTheSettings) {
    EXPECT_FALSE(form.visible);
    rig.form1.funcTrend.onClick();
    EXPECT_TRUE(form.visible);
    ASSERT_EQ(trend.series().size(), 2u);
    EXPECT_EQ(trend.series()[0]->unit, "ns");
    EXPECT_EQ(trend.series()[1]->title, "EFC");
    EXPECT_TRUE(form.mnuTrendTint.checked);
    EXPECT_TRUE(form.mnuInterval10s.checked);
    form.mnuInterval1s.onClick();
    EXPECT_EQ(trend.sampler().interval(), 1);
    EXPECT_NE(rig.profile.text.find("[Trend]"), std::string::npos);
    EXPECT_NE(rig.profile.text.find("Series1=:SYNC:TINT?"), std::string::npos);
    EXPECT_NE(rig.profile.text.find("Interval=1"), std::string::npos);
    form.mnuTrendEfc.onClick();  // unchecked: sampled no more
    EXPECT_EQ(trend.sampler().queries(), std::vector<std::string>{kTimeIntervalQuery});
    bool cancel = false;
    form.onCloseRequest(cancel);
    EXPECT_FALSE(form.visible);
    EXPECT_FALSE(trend.sampler().paused());  // closing stops nothing
}

TEST_F(TrendWindowTest, TheTableOfTheNinePointDataMatchesAndCopiesAsShown) {
    rig.form1.funcTrend.onClick();
    feedNinePoint();
    const StatisticsTable table = trend.table();
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.headings,
              (std::vector<std::string>{"Tau (s)", "Overlapping ADEV", "ADEV count", "ADEV low", "ADEV high",
                                        "TDEV (s)", "TDEV count", "TDEV low", "TDEV high"}));
    EXPECT_EQ(table.rows[0][1], "9.123e-08");  // 91.22945 in units of 1e-9
    EXPECT_EQ(table.rows[0][2], "8");
    EXPECT_EQ(table.rows[0][5], "5.267e-08");  // 52.67135 ns
    EXPECT_EQ(table.rows[1][1], "8.595e-08");
    EXPECT_EQ(table.rows[1][5], "8.636e-08");
    EXPECT_EQ(table.rows[1][6], "5");
    form.cmdTrendCopy.onClick();
    EXPECT_EQ(rig.clipboard.text(), tableCopyText(table));
    EXPECT_EQ(rig.clipboard.text().substr(0, 35), "Tau (s)\tOverlapping ADEV\tADEV count");
}

TEST_F(TrendWindowTest, TheStabilityMenuChoosesStatisticsErrorBarsDriftAndMasks) {
    rig.form1.funcTrend.onClick();
    for (MenuItem* item : {&form.mnuTrendAdev, &form.mnuTrendTdev, &form.mnuTrendMtie, &form.mnuTrendHdev,
                           &form.mnuTrendErrorBars, &form.mnuTrendMaskPrtcB})
        item->onClick();
    EXPECT_TRUE(form.mnuTrendMtie.checked && form.mnuTrendMaskPrtcB.checked && !form.mnuTrendAdev.checked);
    EXPECT_FALSE(form.mnuTrendErrorBars.checked);
    // A phase ramp of 0.32 ns/s over 400 s: MTIE is the ramp over tau, past PRTC-B's 40 ns at 128 s.
    for (int i = 0; i <= 400; ++i) trend.addSample(kTimeIntervalQuery, kDay + i, 0.32e-9 * i, "reply");
    StatisticsTable table = trend.table();
    EXPECT_EQ(table.headings,
              (std::vector<std::string>{"Tau (s)", "Overlapping HDEV", "HDEV count", "MTIE (s)", "MTIE count"}));
    ASSERT_EQ(table.rows.size(), 8u);
    EXPECT_EQ(table.rows[7][0], "128");
    EXPECT_EQ(table.rows[7][3], "4.096e-08");
    EXPECT_EQ(table.rows[7][4], "273");
    EXPECT_EQ(form.lblTrendMasks.caption, "G.8272 PRTC-B MTIE: fails at tau = 128 s");
    ASSERT_EQ(trend.maskResults().size(), 1u);
    EXPECT_EQ(trend.maskResults()[0].verdict.firstFailure, 128.0);
    const std::string ini = rig.profile.text;
    for (const char* key : {"Statistics=HDEV,MTIE", "Masks=PRTC-B", "ErrorBars=0", "RemoveDrift=0"})
        EXPECT_NE(ini.find(key), std::string::npos) << key;

    // A drifting frequency: ADEV sees the drift until it is taken out.
    form.mnuTrendClear.onClick();
    form.mnuTrendAdev.onClick();
    for (int i = 0; i <= 400; ++i) trend.addSample(kTimeIntervalQuery, kDay + i, 1e-12 * i * i, "reply");
    EXPECT_EQ(trend.table().rows[0][1], "1.414e-12");  // 2e-12 / sqrt(2)
    form.mnuTrendRemoveDrift.onClick();
    EXPECT_LT(std::stod(trend.table().rows[0][1]), 1e-20);
    EXPECT_TRUE(form.mnuTrendRemoveDrift.checked);
}

TEST_F(TrendWindowTest, ZoomChangesTheVisibleSpanAndTheFigures) {
    rig.form1.funcTrend.onClick();
    for (int i = 0; i < 1000; ++i) trend.addSample(kEfcQuery, kDay + i, i, std::to_string(i));
    auto span = trend.visibleSpan();
    EXPECT_EQ(span.from, kDay);
    EXPECT_EQ(span.to, kDay + 999);
    EXPECT_DOUBLE_EQ(trend.figures(1).mean, 499.5);
    form.mnuTrendZoomIn.onClick();  // about the middle
    span = trend.visibleSpan();
    EXPECT_DOUBLE_EQ(span.to - span.from, 499.5);
    EXPECT_DOUBLE_EQ(trend.figures(1).mean, 499.5);
    EXPECT_EQ(trend.figures(1).count, 500u);
    form.mnuTrendPanRight.onClick();  // to the newest readings: the view follows them
    form.mnuTrendPanRight.onClick();
    EXPECT_EQ(trend.visibleSpan().to, kDay + 999);
    trend.addSample(kEfcQuery, kDay + 1000, 1000, "1000");
    EXPECT_EQ(trend.visibleSpan().to, kDay + 1000);
    EXPECT_EQ(trend.figures(1).last, 1000);
    EXPECT_EQ(trend.figures(1).maximum, 1000);
    form.mnuTrendPanLeft.onClick();
    EXPECT_LT(trend.visibleSpan().to, kDay + 1000);
    EXPECT_LT(trend.figures(1).maximum, 1000);
    form.mnuTrendShowAll.onClick();
    EXPECT_EQ(trend.visibleSpan().from, kDay);
    EXPECT_EQ(trend.figures(1).minimum, 0);
}

TEST_F(TrendWindowTest, RecordsSamplesAndARecordedFileGivesTheSameTable) {
    rig.form1.funcTrend.onClick();
    const std::string record = temporaryPath(), table = temporaryPath(), fromFile = temporaryPath();
    saveAnswers = {record};
    form.mnuTrendRecord.onClick();
    EXPECT_EQ(form.lblTrendInfo.caption, "Recording to " + record);
    EXPECT_TRUE(form.mnuTrendStopRecord.enabled);
    feedNinePoint();
    const auto live = trend.table();
    saveAnswers = {table};
    form.cmdTrendSave.onClick();
    form.mnuTrendStopRecord.onClick();

    // Append a torn line, as a program killed mid-write leaves it.
    std::ofstream(record, std::ios::app) << "2026-12-07T00:00:10.000Z,\":SYNC:T";
    trend.openRecordedFile(record);
    EXPECT_EQ(form.lblTrendInfo.caption, "The last line of " + record + " was cut short and was skipped.");
    EXPECT_TRUE(trend.sampler().paused());
    const auto opened = trend.table();
    ASSERT_EQ(opened.rows.size(), live.rows.size());
    EXPECT_EQ(tableCopyText(opened), tableCopyText(live));
    saveAnswers = {fromFile};
    form.cmdTrendSave.onClick();
    std::ifstream a(table), b(fromFile);
    std::string liveCsv((std::istreambuf_iterator<char>(a)), {}), fileCsv((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(liveCsv.substr(0, 35), "Tau (s),Overlapping ADEV,ADEV count");
    EXPECT_EQ(liveCsv, fileCsv);
    for (const auto& path : {record, table, fromFile}) std::remove(path.c_str());
}

TEST_F(TrendWindowTest, ARecordFileThatCannotBeWrittenIsSaid) {
    rig.form1.funcTrend.onClick();
    saveAnswers = {"/nonexistent-dir/trend.csv"};
    form.mnuTrendRecord.onClick();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(form.lblTrendInfo.caption, "Not recording: /nonexistent-dir/trend.csv: No such file or directory");
    EXPECT_FALSE(form.mnuTrendStopRecord.enabled);
}

}  // namespace
}  // namespace kestrix::trend
