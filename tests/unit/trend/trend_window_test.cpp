#include "trend/trend_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "support/rig.h"

namespace kestrix {
namespace {

constexpr double kDay = 1796601600;  // 2026-12-07T00:00:00Z

struct TrendWindowTest : ::testing::Test {
    testing::Rig rig;
    FrmTrend& form = rig.forms.frmTrend;
    TrendWindow& trend = rig.app->trend();
    platform::FakeFiles& files = rig.fakes.files;
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
    openWithPresets();
    form.mnuInterval1s.onClick();
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
    const std::string record = "/data/trend.csv", table = "/data/live.csv", fromFile = "/data/from-file.csv";
    rig.dialogs.saveAnswer = record;
    form.mnuTrendRecord.onClick();
    EXPECT_EQ(form.lblTrendInfo.caption, "Recording to " + record + ", sampling waits until the port is open");
    EXPECT_TRUE(form.mnuTrendStopRecord.enabled);
    feedNinePoint();
    const auto live = trend.table();
    rig.dialogs.saveAnswer = table;
    form.cmdTrendSave.onClick();
    form.mnuTrendStopRecord.onClick();

    // Append a torn line, as a program killed mid-write leaves it.
    files.contents[record] += "2026-12-07T00:00:10.000Z,\":SYNC:T";
    trend.openRecordedFile(record);
    EXPECT_EQ(form.lblTrendInfo.caption, "The last line of " + record + " was cut short and was skipped.");
    EXPECT_TRUE(trend.sampler().paused());
    const auto opened = trend.table();
    ASSERT_EQ(opened.rows.size(), live.rows.size());
    EXPECT_EQ(tableCopyText(opened), tableCopyText(live));
    rig.dialogs.saveAnswer = fromFile;
    form.cmdTrendSave.onClick();
    const std::string liveCsv = files.contents[table], fileCsv = files.contents[fromFile];
    EXPECT_EQ(liveCsv.substr(0, 35), "Tau (s),Overlapping ADEV,ADEV count");
    EXPECT_EQ(liveCsv, fileCsv);
}

TEST_F(TrendWindowTest, ARecordFileThatCannotBeWrittenIsSaid) {
    rig.form1.funcTrend.onClick();
    files.failures["/nonexistent-dir/trend.csv"] = "/nonexistent-dir/trend.csv: No such file or directory";
    rig.dialogs.saveAnswer = "/nonexistent-dir/trend.csv";
    form.mnuTrendRecord.onClick();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(form.lblTrendInfo.caption, "Not recording: /nonexistent-dir/trend.csv: No such file or directory");
    EXPECT_FALSE(form.mnuTrendStopRecord.enabled);
}

// A record the system stops taking (a full disk) ends with the lines written so far, and says so.
TEST_F(TrendWindowTest, ARecordTheSystemStopsTakingEndsAndSaysWhy) {
    openWithPresets();
    const std::string record = "/data/trend.csv";
    rig.dialogs.saveAnswer = record;
    form.mnuTrendRecord.onClick();
    trend.addSample(kTimeIntervalQuery, kDay, 1e-8, "+1.0E-08\r\n");
    files.writeFailures[record] = record + ": No space left on device";
    trend.addSample(kTimeIntervalQuery, kDay + 10, 2e-8, "+2.0E-08\r\n");
    EXPECT_EQ(form.lblTrendInfo.caption, "Recording stopped: No space left on device");
    EXPECT_TRUE(form.mnuTrendRecord.enabled);
    EXPECT_FALSE(form.mnuTrendStopRecord.enabled);
    EXPECT_EQ(files.contents[record],
              "# interval 10 s\ntime,query,value,reply\n2026-12-07T00:00:00.000Z,\":SYNC:TINT?\",1e-08,\"+1.0E-08\"\n");
    files.writeFailures.clear();
    trend.addSample(kTimeIntervalQuery, kDay + 20, 3e-8, "+3.0E-08\r\n");
    EXPECT_EQ(files.contents[record].find("3e-08"), std::string::npos);  // nothing written once stopped
}

// Each file dialog of the window: cancelled, nothing happens; a file chosen, it is used.
TEST_F(TrendWindowTest, FileDialogsCancelledDoNothingAndChosenAreUsed) {
    openWithPresets();
    feedNinePoint();
    files.contents["/data/older.csv"] =
        "time,query,value,reply\n2026-12-07T00:00:00.000Z,\":SYNC:TINT?\",1e-08,\"x\"\n";
    const struct {
        const char* path;
        MenuItem* item;
        std::function<bool()> used;
    } cases[] = {
        {"/data/rec.csv", &form.mnuTrendRecord,
         [&] { return form.mnuTrendStopRecord.enabled && files.contents.count("/data/rec.csv"); }},
        {"/data/table.csv", nullptr, [&] { return files.contents["/data/table.csv"].starts_with("Tau (s),"); }},
        {"/data/plot.png", &form.mnuTrendSavePlot, [&] { return form.plotImagePath == "/data/plot.png"; }},
        {"/data/older.csv", &form.mnuTrendOpen, [&] { return form.caption == "Trend - /data/older.csv"; }},
    };
    for (const auto& c : cases) {
        auto click = [&] { c.item ? c.item->onClick() : form.cmdTrendSave.onClick(); };
        rig.dialogs.saveAnswer = rig.dialogs.fileAnswer = std::nullopt;
        click();
        EXPECT_FALSE(c.used()) << c.path;
        rig.dialogs.saveAnswer = rig.dialogs.fileAnswer = c.path;
        click();
        EXPECT_TRUE(c.used()) << c.path;
    }
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

// What the window cannot write is said in a message naming the file.
TEST_F(TrendWindowTest, ATableOrPlotThatCannotBeWrittenIsSaid) {
    openWithPresets();
    files.failures["/ro/table.csv"] = "/ro/table.csv: Read-only file system";
    rig.dialogs.saveAnswer = "/ro/table.csv";
    form.cmdTrendSave.onClick();
    rig.dialogs.saveAnswer = "/ro/plot.png";
    form.mnuTrendSavePlot.onClick();
    form.onPlotImageWritten(form.plotImagePath, "the image could not be written");
    form.onPlotImageWritten("/data/plot.png", "");
    ASSERT_EQ(rig.dialogs.messages.size(), 2u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Cannot write /ro/table.csv");
    EXPECT_EQ(rig.dialogs.messages[1].text, "Cannot write /ro/plot.png: the image could not be written");
}

// Series, Other Query...: the query typed is sampled, trimmed; Cancel or an empty query adds none.
TEST_F(TrendWindowTest, OtherQueryAsksForTheQueryAndCancelAddsNone) {
    rig.form1.funcTrend.onClick();
    const struct {
        const char* typed;
        bool ok;
        std::vector<std::string> series;
    } cases[] = {
        {":PTIM:LEAP:ACC?", false, {}},
        {"  ", true, {}},
        {" :PTIM:LEAP:ACC? ", true, {":PTIM:LEAP:ACC?"}},
    };
    for (const auto& c : cases) {
        rig.dialogs.modalActions["frmTrendQuery"] = [&](Window&) {
            FrmTrendQuery& q = rig.forms.frmTrendQuery;
            q.txtQuery.userEdited(c.typed, 0, 0);
            (c.ok ? q.cmdOK : q.cmdCancel).onClick();
        };
        form.mnuTrendOther.onClick();
        EXPECT_EQ(trend.settings().series, c.series) << c.typed;
    }
    EXPECT_EQ(rig.dialogs.modalShown.size(), 3u);
}

// The plot state the display layer draws: published at once after a change of view, new samples
// at most every quarter second by the clock (a later tick takes those held back), nothing while
// the window is hidden; each strip reduced to the columns the display layer reports.
TEST_F(TrendWindowTest, ThePlotIsPublishedAtOnceForTheViewAndPacedForSamples) {
    openWithPresets();
    const TrendPlotState& plot = form.plot;
    EXPECT_EQ(plot.emptyText, "Waiting for samples...");
    form.onPlotColumns(300);
    feedNinePoint();  // a burst, the clock standing still: held back
    EXPECT_TRUE(plot.strips.empty());
    rig.clock.advance(0.25);
    rig.tick();
    ASSERT_EQ(plot.strips.size(), 2u);
    EXPECT_EQ(plot.strips[0].figures.back(), "(10 samples)");
    EXPECT_EQ(plot.strips[0].figures[0], "last 7100 ns");
    EXPECT_EQ(plot.strips[0].heading, "Time interval (ns)   :SYNC:TINT?");
    EXPECT_EQ(plot.strips[0].columns.size(), 300u);
    EXPECT_NEAR(plot.strips[0].high - plot.strips[0].low, 7100 * 1.1, 1e-6);  // padded by a twentieth each side
    for (std::size_t room = 0; room < plot.strips[0].ticks.size(); ++room)
        EXPECT_LE(plot.strips[0].ticks[room].size(), room + 2);  // as many as fit the room
    ASSERT_FALSE(plot.timeTicks.empty());
    EXPECT_EQ(plot.timeTicks.front().label, "00:00:00");
    EXPECT_FALSE(plot.tableRows.empty());
    EXPECT_EQ(plot.stabilityNote, "Tau0 1 s: 10 slots, 0 empty");
    EXPECT_EQ(plot.stability.curves.size(), 2u);  // ADEV and TDEV, chosen by default

    const std::uint64_t shown = plot.revision;
    form.mnuTrendZoomIn.onClick();
    EXPECT_GT(plot.revision, shown);
    form.mnuTrendClose.onClick();
    const std::uint64_t hidden = plot.revision;
    form.mnuTrendShowAll.onClick();
    EXPECT_EQ(plot.revision, hidden);
    rig.form1.funcTrend.onClick();
    EXPECT_GT(plot.revision, hidden);
    EXPECT_EQ(plot.strips[0].figures.back(), "(10 samples)");
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

// The cell of `table` in row `row` under `heading`.
std::string cell(const StatisticsTable& table, std::size_t row, const std::string& heading) {
    const auto column = std::find(table.headings.begin(), table.headings.end(), heading);
    if (column == table.headings.end() || row >= table.rows.size()) return "no such cell: " + heading;
    return table.rows[row][static_cast<std::size_t>(column - table.headings.begin())];
}

// The table the window's default statistics give for readings on the exact 1 s grid.
StatisticsTable tableOfExactGrid(const std::vector<double>& phase) {
    return statisticsTable(analyse(phase, 1, {TrendSettings{}.statistics, false}), true);
}

// Readings whose stamps jitter, live or from an older file, give the figures of the same
// readings on the exact grid: a reading is in its slot, and only a slot without one is a gap.
TEST_F(TrendWindowTest, JitteredStampsGiveTheFiguresOfTheExactGrid) {
    const std::vector<double> x200 = phaseReadings(200), x40 = phaseReadings(40);
    // From an older file: 200 readings 1 s apart, each stamp off by up to 0.1 s.
    std::vector<double> times;
    for (std::size_t i = 0; i < x200.size(); ++i) times.push_back(kDay + i + 0.1 * std::sin(i * 2.7));
    const std::string path = "/data/older.csv";
    files.contents[path] = olderRecord(times, x200);
    openWithPresets();
    trend.openRecordedFile(path);
    EXPECT_EQ(form.lblTrendInfo.caption, "Showing " + path + ", interval 1 s");
    const StatisticsTable fromFile = trend.table();
    ASSERT_EQ(fromFile.rows.size(), 7u);  // 1 to 64 s
    EXPECT_EQ(cell(fromFile, 0, "ADEV count"), "198");
    EXPECT_EQ(tableCopyText(fromFile), tableCopyText(tableOfExactGrid(x200)));
    EXPECT_NE(cell(fromFile, 5, "TDEV (s)"), "n/a");
    EXPECT_NE(cell(fromFile, 6, "TDEV (s)"), "n/a");
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
    const StatisticsTable live = trend.table();
    ASSERT_EQ(live.rows.size(), 4u);
    const char* counts[] = {"38", "36", "32", "24"};
    for (std::size_t k = 0; k < live.rows.size(); ++k) EXPECT_EQ(cell(live, k, "ADEV count"), counts[k]);
    EXPECT_EQ(tableCopyText(live), tableCopyText(tableOfExactGrid(x40)));
}

// Readings 10 s, 1 s and 7.5 s apart: on the 1 s grid most slots are empty, the table says how
// many, and a figure whose differences are mostly missing is not shown.
TEST_F(TrendWindowTest, UnevenReadingsAreGapsOnTheNominalGridAndSparseFiguresAreWithheld) {
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) times.push_back(kDay + 10.0 * i);
    for (int i = 1; i <= 100; ++i) times.push_back(kDay + 490 + i);
    for (int i = 1; i <= 40; ++i) times.push_back(kDay + 590 + 7.5 * i);
    const std::string path = "/data/older.csv";
    files.contents[path] = olderRecord(times, phaseReadings(times.size()));
    rig.form1.funcTrend.onClick();
    trend.openRecordedFile(path);
    const StatisticsTable table = trend.table();
    ASSERT_FALSE(table.rows.empty());
    EXPECT_EQ(cell(table, 0, "Tau (s)"), "1");
    EXPECT_EQ(cell(table, 0, "ADEV count"), "99");  // the 1 s stretch and the 10 s reading before it
    EXPECT_EQ(cell(table, 0, "Overlapping ADEV"), "n/a");
    EXPECT_EQ(cell(table, 0, "ADEV low"), "n/a");
    EXPECT_EQ(cell(table, 0, "TDEV (s)"), "n/a");
    EXPECT_EQ(trend.stabilityNote(), "Tau0 1 s: 891 slots, 701 empty; n/a: more than half the differences missing");
}

// The bottom line says at what interval the trend samples, or that it waits and why.
TEST_F(TrendWindowTest, TheBottomLineSaysHowSamplingGoesAndWhyItWaits) {
    const std::string record = "/data/trend.csv";
    rig.dialogs.saveAnswer = record;
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
}  // namespace kestrix
