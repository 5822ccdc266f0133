#include "trend/trend_window.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>

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
    void openWithPresets() {
        rig.form1.funcTrend.onClick();
        form.mnuTrendTint.onClick();
        form.mnuTrendEfc.onClick();
    }
    // The nine-point test data as phase, one reading a second.
    void feedNinePoint() {
        form.mnuInterval1s.onClick();
        double x = 0;
        trend.addSample(kTimeIntervalQuery, kDay, 0, "+0");
        for (double y : {892, 809, 823, 798, 671, 644, 883, 903, 677}) {
            x += y;
            trend.addSample(kTimeIntervalQuery, kDay + trend.series()[0]->ring.size(), x * 1e-9, "reply");
        }
    }
};

TEST_F(TrendWindowTest, OpensWithNoSeriesUntilOneIsChosenAndKeepsTheChoiceInTheSettings) {
    EXPECT_FALSE(form.visible);
    rig.form1.funcTrend.onClick();
    EXPECT_TRUE(form.visible);
    EXPECT_TRUE(trend.series().empty());
    EXPECT_TRUE(trend.sampler().queries().empty());
    EXPECT_FALSE(form.mnuTrendTint.checked);
    EXPECT_EQ(form.lblTrendInfo.caption, "No series is sampled: choose one from the Series menu");
    form.mnuTrendTint.onClick();
    form.mnuTrendEfc.onClick();
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
    openWithPresets();
    feedNinePoint();
    const auto rows = trend.stabilityTableRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].overlappingAllanDeviation, "9.123e-08");  // 91.22945 in units of 1e-9
    EXPECT_EQ(rows[0].timeDeviation, "5.267e-08");              // 52.67135 ns
    EXPECT_EQ(rows[1].overlappingAllanDeviation, "8.595e-08");
    EXPECT_EQ(rows[1].timeDeviation, "8.636e-08");
    form.cmdTrendCopy.onClick();
    EXPECT_EQ(rig.clipboard.text(), stabilityCopyText(rows));
    EXPECT_EQ(rig.clipboard.text().substr(0, 42), "Tau (s)\tCount\tOverlapping ADEV\tTDEV (s)\r\n1");
}

TEST_F(TrendWindowTest, ZoomChangesTheVisibleSpanAndTheFigures) {
    openWithPresets();
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
    openWithPresets();
    form.mnuInterval1s.onClick();
    const std::string record = temporaryPath(), table = temporaryPath(), fromFile = temporaryPath();
    saveAnswers = {record};
    form.mnuTrendRecord.onClick();
    EXPECT_EQ(form.lblTrendInfo.caption, "Recording to " + record + ", sampling waits until the port is open");
    EXPECT_TRUE(form.mnuTrendStopRecord.enabled);
    feedNinePoint();
    const auto live = trend.stabilityTableRows();
    saveAnswers = {table};
    form.cmdTrendSave.onClick();
    form.mnuTrendStopRecord.onClick();

    // Append a torn line, as a program killed mid-write leaves it.
    std::ofstream(record, std::ios::app) << "2026-12-07T00:00:10.000Z,\":SYNC:T";
    trend.openRecordedFile(record);
    EXPECT_EQ(form.lblTrendInfo.caption, "The last line of " + record + " was cut short and was skipped.");
    EXPECT_TRUE(trend.sampler().paused());
    const auto opened = trend.stabilityTableRows();
    ASSERT_EQ(opened.size(), live.size());
    EXPECT_EQ(stabilityCopyText(opened), stabilityCopyText(live));
    saveAnswers = {fromFile};
    form.cmdTrendSave.onClick();
    std::ifstream a(table), b(fromFile);
    std::string liveCsv((std::istreambuf_iterator<char>(a)), {}), fileCsv((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(liveCsv.substr(0, 40), "Tau (s),Count,Overlapping ADEV,TDEV (s)\r");
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

// Phase readings of a wandering oscillator: white phase noise on a random walk, around 30 ns.
std::vector<double> phaseReadings(std::size_t count) {
    std::vector<double> x;
    std::uint64_t state = 12345;
    double walk = 0;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double u = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
        walk += u * 0.2e-9;
        x.push_back(30e-9 + walk + u * 1e-9);
    }
    return x;
}

std::string exact(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// A file as it was written before records carried their interval: stamps as the requests went out.
std::string olderRecord(const std::vector<double>& times, const std::vector<double>& x) {
    std::string text = "time,query,value,reply\n";
    for (std::size_t i = 0; i < x.size(); ++i)
        text += isoUtc(times[i]) + ",\":SYNC:TINT?\"," + exact(x[i]) + ",\"" + exact(x[i]) + "\r\n\"\n";
    return text;
}

// Readings whose stamps jitter, live or from an older file, give the figures of the same
// readings on the exact grid: a reading is in its slot, and only a slot without one is a gap.
TEST_F(TrendWindowTest, JitteredStampsGiveTheFiguresOfTheExactGrid) {
    const std::vector<double> x200 = phaseReadings(200), x40 = phaseReadings(40);
    // From an older file: 200 readings 1 s apart, each stamp off by up to 0.1 s.
    std::vector<double> times;
    for (std::size_t i = 0; i < x200.size(); ++i) times.push_back(kDay + i + 0.1 * std::sin(i * 2.7));
    const std::string path = temporaryPath();
    std::ofstream(path, std::ios::binary) << olderRecord(times, x200);
    openWithPresets();
    trend.openRecordedFile(path);
    std::remove(path.c_str());
    EXPECT_EQ(form.lblTrendInfo.caption, "Showing " + path + ", interval 1 s");
    const auto fromFile = trend.stabilityTableRows();
    ASSERT_EQ(fromFile.size(), 7u);  // 1 to 64 s
    EXPECT_EQ(fromFile[0].count, "198");
    EXPECT_EQ(stabilityCopyText(fromFile), stabilityCopyText(stabilityRows(stabilityTable(x200, 1))));
    EXPECT_NE(fromFile[5].timeDeviation, "n/a");
    EXPECT_NE(fromFile[6].timeDeviation, "n/a");
    EXPECT_EQ(trend.stabilityNote(), "Tau0 1 s: 200 slots, 0 empty");

    // Live: 40 samples asked a little late each time (a mean spacing of 1.003 s) at 1 s.
    form.mnuTrendPause.onClick();  // back to the live series
    form.mnuInterval1s.onClick();
    TrendSampler& sampler = trend.sampler();
    for (std::size_t i = 0; i < x40.size(); ++i) {
        const double at = kDay + 1.003 * static_cast<double>(i) + 0.01 * (1 + std::sin(i * 1.3));
        ASSERT_TRUE(sampler.due(at) || sampler.due(at)) << i;  // the first may be the view's turn
        if (sampler.start(at) == kTimeIntervalQuery) sampler.received(exact(x40[i]) + "\r\n");
        else --i, sampler.received("48.7\r\n");
    }
    const auto live = trend.stabilityTableRows();
    ASSERT_EQ(live.size(), 4u);
    const char* counts[] = {"38", "36", "32", "24"};
    for (std::size_t k = 0; k < live.size(); ++k) EXPECT_EQ(live[k].count, counts[k]);
    EXPECT_EQ(stabilityCopyText(live), stabilityCopyText(stabilityRows(stabilityTable(x40, 1))));
}

// Readings 10 s, 1 s and 7.5 s apart: on the 1 s grid most slots are empty, the table says how
// many, and a figure whose differences are mostly missing is not shown.
TEST_F(TrendWindowTest, UnevenReadingsAreGapsOnTheNominalGridAndSparseFiguresAreWithheld) {
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) times.push_back(kDay + 10.0 * i);
    for (int i = 1; i <= 100; ++i) times.push_back(kDay + 490 + i);
    for (int i = 1; i <= 40; ++i) times.push_back(kDay + 590 + 7.5 * i);
    const std::string path = temporaryPath();
    std::ofstream(path, std::ios::binary) << olderRecord(times, phaseReadings(times.size()));
    rig.form1.funcTrend.onClick();
    trend.openRecordedFile(path);
    std::remove(path.c_str());
    const auto rows = trend.stabilityTableRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].tau, "1");
    EXPECT_EQ(rows[0].count, "99");  // the 1 s stretch and the 10 s reading before it
    EXPECT_EQ(rows[0].overlappingAllanDeviation, "n/a");
    EXPECT_EQ(rows[0].timeDeviation, "n/a");
    EXPECT_EQ(trend.stabilityNote(), "Tau0 1 s: 891 slots, 701 empty; n/a: more than half the differences missing");
}

// The bottom line says at what interval the trend samples, or that it waits and why.
TEST_F(TrendWindowTest, TheBottomLineSaysHowSamplingGoesAndWhyItWaits) {
    const std::string record = temporaryPath();
    saveAnswers = {record};
    rig.form1.demoMode.checked = false;
    const struct {
        std::function<void()> act;
        std::string line;
    } steps[] = {
        {[&] { openWithPresets(); }, "Sampling waits until the port is open"},
        {[&] { rig.connect(); }, "Sampling every 10 s"},
        {[&] { form.mnuInterval1min.onClick(); }, "Sampling every 1 min"},
        {[&] { form.mnuInterval10min.onClick(); }, "Sampling every 10 min"},
        {[&] { rig.form1.funcTermEmul.onClick(); }, "Sampling waits while the terminal view is shown"},
        {[&] { rig.form1.funcStatus.onClick(); }, "Sampling every 10 min"},
        {[&] { rig.form1.disableUpdates.onClick(); }, "Sampling waits while updates are disabled"},
        {[&] { rig.form1.disableUpdates.onClick(); }, "Sampling every 10 min"},
        {[&] { form.mnuTrendPause.onClick(); }, "Sampling paused"},
        {[&] { form.mnuTrendRecord.onClick(); }, "Recording to " + record + ", sampling paused"},
        {[&] { form.mnuTrendPause.onClick(); }, "Recording to " + record + ", sampling every 10 min"},
    };
    for (const auto& step : steps) {
        step.act();
        rig.tick();
        EXPECT_EQ(form.lblTrendInfo.caption, step.line);
    }
    std::remove(record.c_str());
}

TEST(SeriesHeading, NamesTheQueryOnce) {
    const struct {
        const char* query;
        const char* heading;
    } cases[] = {
        {":SYNC:TINT?", "Time interval (ns)   :SYNC:TINT?"},
        {":DIAG:ROSC:EFC:ABS?", "EFC (%)   :DIAG:ROSC:EFC:ABS?"},
        {":PTIM:LEAP:ACC?", ":PTIM:LEAP:ACC?"},
    };
    for (const auto& c : cases) EXPECT_EQ(seriesHeading(*makeSeries(c.query, 4)), c.heading);
}

}  // namespace
}  // namespace kestrix::trend
