#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "state/context.h"
#include "state/trend_forms.h"
#include "trend/figures.h"
#include "trend/record.h"
#include "trend/sampler.h"
#include "trend/series.h"
#include "trend/trend_settings.h"

namespace kestrix {

inline constexpr const char* kTimeIntervalQuery = ":SYNC:TINT?";
inline constexpr const char* kEfcQuery = ":DIAG:ROSC:EFC:ABS?";

// One plotted series: its query, how its values are shown, and its readings.
struct TrendSeries {
    std::string query;
    std::string title;          // "Time interval", "EFC", or the query
    std::string unit;           // as shown: "ns", "%", or empty
    double scale = 1;           // shown value = reading * scale
    bool timeInterval = false;  // phase data: the stability plot and table are computed from it
    SampleRing ring;
};

// A series for `query`: the presets with their titles and units, any other query as it is.
std::unique_ptr<TrendSeries> makeSeries(const std::string& query, std::size_t capacity);
// The strip's heading: "Time interval (ns)   :SYNC:TINT?"; another query once.
std::string seriesHeading(const TrendSeries& series);

// The trend window's rules: which queries are sampled and how often, the readings kept, the
// visible span with its zoom and pan, the figures and the stability table, recording to a file
// and opening a recorded one. The window is plain state (FrmTrend); the display layer draws the
// plot state published into it (FrmTrend::plot) and forwards the user's zoom and pan as the
// window's events. Where the parts live:
//
//   trend_window.cpp         the window's menus and buttons, the series and their samples, the
//                            visible span, the stability curves and mask verdicts, the table, the
//                            bottom line, recording and recorded files (platform::Files), the file
//                            dialogs (platform::Dialogs), publishing the plot state, paced
//   trend_plot.*             the plot state from the readings: strips reduced to columns, value
//                            and time ticks, the figures' texts, the stability plot and its masks
//   sampler.*                which query is due when, between the link's polls
//   series.*                 the readings kept, reduced to columns or put on the phase grid
//   record.*                 recorded files: each sample written through as it arrives, read back
//                            whole or a block at a time
//   figures.*, analysis.*, deviations.*, confidence.*, stability.*, masks.*, axis_ticks.*
//                            the figures, the statistics with their error bars, the ITU-T masks
//   trend_settings.*         the [Trend] section of the settings file
//   state/trend_forms.*      the window's state (FrmTrend, its plot state) and the Other Query
//                            dialog (FrmTrendQuery)
//   link/trend_requests.cpp  the link's side: a sample's query sent at an idle tick
//   program/kestrix.cpp      the sampler given to the link; the bottom line after each tick
//   app/trend_panel.*        the Qt painter widgets that draw the plot state
class TrendWindow {
public:
    TrendWindow(Context& context, FrmTrend& form, std::size_t capacity = SampleRing::kMonthOfSeconds);
    void wire();

    TrendSampler& sampler() { return sampler_; }

    // Function, Trend...: shows the window and, the first time, starts sampling what the
    // settings hold (nothing until the user chooses a series when they hold none).
    void open();

    const std::vector<std::unique_ptr<TrendSeries>>& series() const { return series_; }
    // A new sample of `query` (ignored when no series samples it).
    void addSample(const std::string& query, double time, double value, const std::string& reply);

    // The visible span, UTC seconds; from == to when there is nothing to show.
    struct Span {
        double from = 0, to = 0;
    };
    Span visibleSpan() const;
    // Zooms by `factor` (below 1 zooms in) keeping the point at `anchor` (0 left edge, 1 right
    // edge) where it is; pans by `fraction` of the visible span; shows everything kept.
    void zoom(double factor, double anchor = 0.5);
    void pan(double fraction);
    void showAll();

    SpanFigures figures(std::size_t series) const;
    // The chosen statistics of the first time-interval series over the visible span, one curve
    // per statistic in the order of kStatistics, and the table of them.
    const std::vector<StatisticCurve>& curves();
    StatisticsTable table() { return statisticsTable(curves(), settings_.errorBars); }
    // Each chosen mask against each chosen statistic it applies to (MTIE, TDEV), as judged over
    // the curves last computed.
    struct MaskResult {
        Mask mask;
        Statistic statistic;
        MaskVerdict verdict;
    };
    const std::vector<MaskResult>& maskResults() {
        curves();
        return maskResults_;
    }
    // What the stability figures stand on: "Tau0 1 s: 200 slots, 3 empty", and what they leave out.
    // The readings are placed on the grid of the nominal interval (the one chosen, or a recorded
    // file's), each in its nearest slot, a slot without one a gap; a figure most of whose
    // differences are missing is not shown.
    std::string stabilityNote();
    double nominalInterval() const;

    // The window's bottom line as the trend's state and the link's would have it now; brought
    // up to date after each of the link's ticks and each change the user makes.
    std::string infoLine() const;
    void refreshInfo();

    void copyTable();
    void saveTable();
    void recordToFile();
    void stopRecording();
    void savePlot();
    // The display layer has written the plot image asked for; `failure` is empty on success.
    void plotImageWritten(const std::string& path, const std::string& failure);
    void openRecordedFile(const std::string& path);
    void chooseRecordedFile();

    const TrendSettings& settings() const { return settings_; }

private:
    void setSeries(const std::vector<std::string>& queries);
    void rebuildSeries(const std::vector<std::string>& queries);
    void viewChanged();
    // Brings the window's plot state up to date: at once after a change of view, and for new
    // samples as often as keeps its cost under a thousandth of the time (a week of samples: every
    // few seconds); held-back samples go out with a later call. Nothing while the window is hidden.
    void publishPlot();
    void toggleSeries(const std::string& query);
    void addOtherQuery();
    std::optional<std::string> askQuery();
    void setInterval(int seconds);
    void togglePause();
    void toggleHoldView();
    std::string samplingText() const;
    std::string samplingWaits() const;
    void toggleStatistic(Statistic statistic);
    void toggleMask(Mask mask);
    void setStabilityOption(bool TrendSettings::*option);
    void judgeMasks();
    void clearSamples();
    void startRecording(const std::string& path);
    void saveSettings();
    void updateMenus();
    void say(const std::string& text);
    double latestTime() const;
    double earliestTime() const;

    Context& ctx_;
    FrmTrend& form_;
    std::size_t capacity_;
    TrendSampler sampler_;
    TrendSettings settings_;
    std::vector<std::unique_ptr<TrendSeries>> series_;
    RecordWriter writer_;
    bool started_ = false;
    bool showingFile_ = false;
    double fileInterval_ = 0;  // a recorded file's interval while it is shown
    std::string filePath_;
    std::string notice_;  // what the bottom line says instead of the state until the user acts

    enum class ViewMode { All, Follow, Fixed };
    ViewMode mode_ = ViewMode::All;
    double span_ = 0;  // Follow: the width kept
    Span fixed_;       // Fixed: the span itself

    std::uint64_t viewRevision_ = 1;  // moves when the user changes what is shown
    std::vector<StatisticCurve> curves_;
    std::vector<MaskResult> maskResults_;
    Coverage coverage_;
    std::uint64_t stabilityView_ = 0;  // viewRevision_ the curves were computed for
    std::size_t samplesSinceStability_ = 0;
    std::size_t samplesAtStability_ = 0;

    bool plotDue_ = true;      // the view changed since the plot was published
    bool samplesDue_ = false;  // samples arrived since
    double publishedAt_ = -1;  // UTC seconds
    double publishCost_ = 0;   // seconds the last publication took
};

}  // namespace kestrix
