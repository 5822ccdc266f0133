#include "trend/trend_window.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/platform.h"
#include "state/main_window_form.h"
#include "state/trend_forms.h"
#include "trend/trend_plot.h"

namespace kestrix {

namespace {

constexpr const char* kTrendFilter = "Trend Files (*.csv)|*.csv|All Files (*.*)|*.*";
constexpr const char* kTableFilter = "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*";
constexpr const char* kImageFilter = "PNG Images (*.png)|*.png";

bool isTimeIntervalQuery(const std::string& query) {
    std::string upper;
    for (char c : query) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("SYNC") != std::string::npos && upper.find(":TINT") != std::string::npos;
}

// "10 s", "1 min", "1 h" as the Interval menu has them; "7.5 s" for an achieved one.
std::string intervalText(double seconds) {
    char text[32];
    if (seconds >= 3600 && std::fmod(seconds, 3600) == 0) std::snprintf(text, sizeof text, "%.0f h", seconds / 3600);
    else if (seconds >= 60 && std::fmod(seconds, 60) == 0) std::snprintf(text, sizeof text, "%.0f min", seconds / 60);
    else if (seconds >= 10 || std::fmod(seconds, 1) == 0) std::snprintf(text, sizeof text, "%.0f s", seconds);
    else std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

// New samples are published at most this often (seconds), and wait this many times the last
// publication's cost.
constexpr double kPublishEvery = 0.25;
constexpr double kPublishShare = 1000;
// The strips' columns until the display layer says how wide they are.
constexpr int kDefaultColumns = 600;

// An interval counts as met while the rounds start at most a tenth of it later than it asks.
constexpr double kMetWithin = 1.1;

}  // namespace

std::unique_ptr<TrendSeries> makeSeries(const std::string& query, std::size_t capacity) {
    auto series = std::make_unique<TrendSeries>(TrendSeries{query, query, "", 1, false, SampleRing(capacity)});
    if (isTimeIntervalQuery(query)) {
        series->title = "Time interval";
        series->unit = "ns";
        series->scale = 1e9;
        series->timeInterval = true;
    } else if (query == kEfcQuery) {
        series->title = "EFC";
        series->unit = "%";
    }
    return series;
}

std::string seriesHeading(const TrendSeries& series) {
    std::string heading = series.title;
    if (!series.unit.empty()) heading += " (" + series.unit + ")";
    if (series.title != series.query) heading += "   " + series.query;
    return heading;
}

TrendWindow::TrendWindow(Context& context, FrmTrend& form, std::size_t capacity)
    : ctx_(context),
      form_(form),
      capacity_(capacity),
      settings_(readTrendSettings(context.platform.profile)),
      writer_(context.platform.files) {
    sampler_.setInterval(settings_.intervalSeconds);
    sampler_.setHoldingView(settings_.holdView);
    sampler_.onSample = [this](const std::string& query, double time, double value, const std::string& reply) {
        addSample(query, time, value, reply);
    };
    updateMenus();
}

void TrendWindow::wire() {
    FrmTrend& f = form_;
    f.mnuTrendOpen.onClick = [this] { chooseRecordedFile(); };
    f.mnuTrendRecord.onClick = [this] { recordToFile(); };
    f.mnuTrendStopRecord.onClick = [this] { stopRecording(); };
    f.mnuTrendSavePlot.onClick = [this] { savePlot(); };
    f.mnuTrendClose.onClick = [this] { form_.hide(); };
    f.mnuTrendTint.onClick = [this] { toggleSeries(kTimeIntervalQuery); };
    f.mnuTrendEfc.onClick = [this] { toggleSeries(kEfcQuery); };
    f.mnuTrendOther.onClick = [this] { addOtherQuery(); };
    f.mnuTrendPause.onClick = [this] { togglePause(); };
    f.mnuTrendHoldView.onClick = [this] { toggleHoldView(); };
    f.mnuTrendClear.onClick = [this] { clearSamples(); };
    f.mnuInterval1s.onClick = [this] { setInterval(1); };
    f.mnuInterval10s.onClick = [this] { setInterval(10); };
    f.mnuInterval1min.onClick = [this] { setInterval(60); };
    f.mnuInterval10min.onClick = [this] { setInterval(600); };
    f.mnuInterval1h.onClick = [this] { setInterval(3600); };
    f.mnuTrendZoomIn.onClick = [this] { zoom(0.5); };
    f.mnuTrendZoomOut.onClick = [this] { zoom(2); };
    f.mnuTrendPanLeft.onClick = [this] { pan(-0.25); };
    f.mnuTrendPanRight.onClick = [this] { pan(0.25); };
    f.mnuTrendShowAll.onClick = [this] { showAll(); };
    const std::pair<MenuItem*, Statistic> statistics[] = {
        {&f.mnuTrendAdev, Statistic::Adev}, {&f.mnuTrendMdev, Statistic::Mdev},     {&f.mnuTrendHdev, Statistic::Hdev},
        {&f.mnuTrendTdev, Statistic::Tdev}, {&f.mnuTrendTieRms, Statistic::TieRms}, {&f.mnuTrendMtie, Statistic::Mtie}};
    for (const auto& [item, statistic] : statistics) item->onClick = [this, s = statistic] { toggleStatistic(s); };
    const std::pair<MenuItem*, Mask> masks[] = {{&f.mnuTrendMaskPrc, Mask::G811Prc},
                                                {&f.mnuTrendMaskPrtcA, Mask::G8272PrtcA},
                                                {&f.mnuTrendMaskPrtcB, Mask::G8272PrtcB}};
    for (const auto& [item, mask] : masks) item->onClick = [this, m = mask] { toggleMask(m); };
    f.mnuTrendErrorBars.onClick = [this] { setStabilityOption(&TrendSettings::errorBars); };
    f.mnuTrendRemoveDrift.onClick = [this] { setStabilityOption(&TrendSettings::removeDrift); };
    f.cmdTrendCopy.onClick = [this] { copyTable(); };
    f.cmdTrendSave.onClick = [this] { saveTable(); };
    f.onPlotImageWritten = [this](const std::string& path, const std::string& failure) {
        plotImageWritten(path, failure);
    };
    FrmTrendQuery& q = ctx_.forms.frmTrendQuery;
    q.cmdOK.onClick = [&q] {
        q.accepted = true;
        q.hide();
    };
    q.cmdCancel.onClick = [&q] { q.hide(); };
    // Closing hides the window; sampling and recording go on.
    f.onCloseRequest = [this](bool&) { form_.hide(); };
    f.onResize = [this] { form_.layout(); };
    f.onPlotZoom = [this](double factor, double anchor) { zoom(factor, anchor); };
    f.onPlotPan = [this](double fraction) { pan(fraction); };
    f.onPlotColumns = [this](int columns) {
        form_.plotColumns = columns;
        plotDue_ = true;
        publishPlot();
    };
}

void TrendWindow::open() {
    form_.show();
    form_.raiseRequested = true;
    if (started_) {
        publishPlot();  // nothing was published while the window was hidden
        return;
    }
    started_ = true;
    setSeries(settings_.series);
    if (!settings_.recordFile.empty()) startRecording(settings_.recordFile);
    refreshInfo();
}

// ---- Series and samples

void TrendWindow::rebuildSeries(const std::vector<std::string>& queries) {
    std::vector<std::unique_ptr<TrendSeries>> kept;
    for (const std::string& query : queries) {
        auto same = std::find_if(series_.begin(), series_.end(), [&](const auto& s) { return s && s->query == query; });
        kept.push_back(same != series_.end() ? std::move(*same) : makeSeries(query, capacity_));
    }
    series_ = std::move(kept);
    viewChanged();
}

void TrendWindow::setSeries(const std::vector<std::string>& queries) {
    rebuildSeries(queries);
    sampler_.setQueries(queries);
    settings_.series = queries;
    notice_.clear();
    saveSettings();
    updateMenus();
}

void TrendWindow::toggleSeries(const std::string& query) {
    std::vector<std::string> queries = settings_.series;
    if (std::erase(queries, query) == 0) {
        if (queries.size() >= kMostSeries) return;
        queries.push_back(query);
    }
    if (showingFile_) clearSamples();
    setSeries(queries);
}

void TrendWindow::addOtherQuery() {
    const auto query = askQuery();
    if (!query || query->empty()) return;
    if (std::find(settings_.series.begin(), settings_.series.end(), *query) != settings_.series.end()) return;
    if (settings_.series.size() >= kMostSeries) {
        say("At most " + std::to_string(kMostSeries) + " series are sampled");
        return;
    }
    toggleSeries(*query);
}

std::optional<std::string> TrendWindow::askQuery() {
    FrmTrendQuery& q = ctx_.forms.frmTrendQuery;
    q.accepted = false;
    q.txtQuery.setText({});
    ctx_.platform.dialogs.showModal(q);
    if (!q.accepted) return std::nullopt;
    std::string query = q.txtQuery.text();
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!query.empty() && blank(static_cast<unsigned char>(query.back()))) query.pop_back();
    query.erase(query.begin(), std::find_if_not(query.begin(), query.end(), blank));
    return query;
}

void TrendWindow::addSample(const std::string& query, double time, double value, const std::string& reply) {
    auto it = std::find_if(series_.begin(), series_.end(), [&](const auto& s) { return s->query == query; });
    if (it == series_.end()) return;
    (*it)->ring.add(time, value);
    ++samplesSinceStability_;
    samplesDue_ = true;
    if (writer_.isOpen() && !writer_.write({time, query, value, reply})) {
        say("Recording stopped: " + writer_.error());
        updateMenus();
    }
    refreshInfo();
}

void TrendWindow::setInterval(int seconds) {
    settings_.intervalSeconds = seconds;
    sampler_.setInterval(seconds);
    writer_.setInterval(seconds);
    notice_.clear();
    if (!showingFile_) viewChanged();  // the table's grid is the interval's
    saveSettings();
    updateMenus();
}

void TrendWindow::toggleHoldView() {
    settings_.holdView = !settings_.holdView;
    sampler_.setHoldingView(settings_.holdView);
    saveSettings();
    updateMenus();
}

void TrendWindow::togglePause() {
    if (showingFile_) {
        // Back from a recorded file to the live series.
        showingFile_ = false;
        form_.caption = "Trend";
        clearSamples();
        rebuildSeries(settings_.series);
        sampler_.setPaused(false);
    } else {
        sampler_.setPaused(!sampler_.paused());
    }
    notice_.clear();
    updateMenus();
}

void TrendWindow::clearSamples() {
    for (auto& s : series_) s->ring.clear();
    viewChanged();
    publishPlot();
}

// ---- The visible span

double TrendWindow::latestTime() const {
    double latest = -std::numeric_limits<double>::infinity();
    for (const auto& s : series_)
        if (!s->ring.empty()) latest = std::max(latest, s->ring.time(s->ring.size() - 1));
    return latest;
}

double TrendWindow::earliestTime() const {
    double earliest = std::numeric_limits<double>::infinity();
    for (const auto& s : series_)
        if (!s->ring.empty()) earliest = std::min(earliest, s->ring.time(0));
    return earliest;
}

TrendWindow::Span TrendWindow::visibleSpan() const {
    const double first = earliestTime(), last = latestTime();
    if (!(last >= first)) return {};
    switch (mode_) {
        case ViewMode::All: return {first, last};
        case ViewMode::Follow: return {last - span_, last};
        case ViewMode::Fixed: return fixed_;
    }
    return {};
}

void TrendWindow::viewChanged() {
    ++viewRevision_;
    plotDue_ = true;
}

void TrendWindow::publishPlot() {
    if (!form_.visible || !(plotDue_ || samplesDue_)) return;
    platform::Clock& clock = ctx_.platform.clock;
    const double now = clock.utcSeconds();
    const bool paced =
        now >= publishedAt_ && now - publishedAt_ < std::max(kPublishEvery, publishCost_ * kPublishShare);
    if (!plotDue_ && paced) return;
    plotDue_ = samplesDue_ = false;
    TrendPlotState& plot = form_.plot;
    const Span span = visibleSpan();
    const auto columns = static_cast<std::size_t>(form_.plotColumns > 0 ? form_.plotColumns : kDefaultColumns);
    plot.strips.clear();
    plot.timeTicks.clear();
    plot.emptyText = series_.empty() ? "No series" : !(span.to > span.from) ? "Waiting for samples..." : "";
    if (plot.emptyText.empty()) {
        for (std::size_t i = 0; i < series_.size(); ++i) {
            const TrendSeries& s = *series_[i];
            TrendStrip strip = stripOf(s.ring, s.scale, span.from, span.to, columns);
            strip.heading = seriesHeading(s);
            strip.figures = figureTexts(figures(i), s.unit);
            plot.strips.push_back(std::move(strip));
        }
        plot.timeTicks = timeTicks(span.from, span.to, static_cast<int>(columns));
    }
    plot.stability = stabilityPlotOf(curves(), settings_.masks, settings_.errorBars, !settings_.statistics.empty());
    plot.stabilityNote = stabilityNote();
    StatisticsTable shownTable = table();
    plot.tableHeadings = std::move(shownTable.headings);
    plot.tableRows = std::move(shownTable.rows);
    ++plot.revision;
    publishedAt_ = now;
    publishCost_ = std::max(0.0, clock.utcSeconds() - now);
}

void TrendWindow::zoom(double factor, double anchor) {
    const Span now = visibleSpan();
    const double first = earliestTime(), last = latestTime();
    if (!(now.to > now.from) || !(factor > 0)) return;
    const double width = std::max((now.to - now.from) * factor, 2.0 * sampler_.interval());
    const double at = now.from + std::clamp(anchor, 0.0, 1.0) * (now.to - now.from);
    double from = at - anchor * width, to = from + width;
    if (width >= last - first) {
        showAll();
        return;
    }
    if (to >= last) {
        mode_ = ViewMode::Follow;
        span_ = width;
    } else {
        if (from < first) from = first, to = first + width;
        mode_ = ViewMode::Fixed;
        fixed_ = {from, to};
    }
    viewChanged();
    publishPlot();
}

void TrendWindow::pan(double fraction) {
    const Span now = visibleSpan();
    const double first = earliestTime(), last = latestTime();
    const double width = now.to - now.from;
    if (!(width > 0) || mode_ == ViewMode::All) return;
    double from = std::max(first, now.from + fraction * width);
    if (from + width >= last) {
        mode_ = ViewMode::Follow;
        span_ = width;
    } else {
        mode_ = ViewMode::Fixed;
        fixed_ = {from, from + width};
    }
    viewChanged();
    publishPlot();
}

void TrendWindow::showAll() {
    mode_ = ViewMode::All;
    viewChanged();
    publishPlot();
}

// ---- Figures and stability

SpanFigures TrendWindow::figures(std::size_t index) const {
    if (index >= series_.size()) return {};
    const SampleRing& ring = series_[index]->ring;
    const Span span = visibleSpan();
    const std::size_t from = ring.firstAtOrAfter(span.from);
    const std::size_t to = ring.firstAtOrAfter(std::nextafter(span.to, std::numeric_limits<double>::infinity()));
    SpanFigures f = spanFigures(ring.values(from, to));
    const double scale = series_[index]->scale;
    for (double* v : {&f.last, &f.mean, &f.standardDeviation, &f.minimum, &f.maximum}) *v *= scale;
    return f;
}

double TrendWindow::nominalInterval() const {
    return showingFile_ ? fileInterval_ : static_cast<double>(settings_.intervalSeconds);
}

const std::vector<StatisticCurve>& TrendWindow::curves() {
    // Recomputed when the user changes the view or the choice, and while samples arrive once they
    // have grown by a hundredth, so the cost per sample stays small however long the record.
    const bool grown =
        samplesSinceStability_ > 0 && samplesSinceStability_ >= std::max<std::size_t>(1, samplesAtStability_ / 100);
    if (stabilityView_ == viewRevision_ && !grown) return curves_;
    stabilityView_ = viewRevision_;
    samplesSinceStability_ = 0;
    curves_.clear();
    coverage_ = {};
    auto it = std::find_if(series_.begin(), series_.end(), [](const auto& s) { return s->timeInterval; });
    const double tau0 = nominalInterval();
    if (it != series_.end() && tau0 > 0) {
        const SampleRing& ring = (*it)->ring;
        samplesAtStability_ = ring.size();
        const Span span = visibleSpan();
        std::vector<double> phase = phaseGrid(ring, span.from, span.to, tau0);
        coverage_ = coverageOf(phase);
        const std::size_t slots = phase.size();
        curves_ = analyse(std::move(phase), tau0, {settings_.statistics, settings_.removeDrift});
        coverage_.withheld = withholdMostlyMissing(curves_, slots);
    }
    judgeMasks();
    return curves_;
}

void TrendWindow::judgeMasks() {
    maskResults_.clear();
    std::string text;
    for (Mask mask : settings_.masks) {
        for (const StatisticCurve& curve : curves_) {
            if (curve.statistic != Statistic::Mtie && curve.statistic != Statistic::Tdev) continue;
            std::vector<Deviation> points;
            for (const StatisticPoint& p : curve.points) points.push_back(p.deviation);
            const MaskVerdict verdict = judge(mask, curve.statistic, points);
            maskResults_.push_back({mask, curve.statistic, verdict});
            text += (text.empty() ? "" : "; ") + verdictText(mask, curve.statistic, verdict);
        }
    }
    if (text.empty() && !settings_.masks.empty()) text = "Masks apply to MTIE and TDEV: choose one of them";
    form_.lblTrendMasks.caption = text;
    form_.lblTrendMasks.toolTip = text;
}

void TrendWindow::toggleStatistic(Statistic statistic) {
    std::vector<Statistic> chosen;
    const bool had =
        std::find(settings_.statistics.begin(), settings_.statistics.end(), statistic) != settings_.statistics.end();
    for (Statistic s : kStatistics) {
        const bool on =
            std::find(settings_.statistics.begin(), settings_.statistics.end(), s) != settings_.statistics.end();
        if (s == statistic ? !had : on) chosen.push_back(s);
    }
    settings_.statistics = chosen;
    saveSettings();
    viewChanged();
    updateMenus();
}

void TrendWindow::toggleMask(Mask mask) {
    std::vector<Mask> chosen;
    const bool had = std::find(settings_.masks.begin(), settings_.masks.end(), mask) != settings_.masks.end();
    for (Mask m : kMasks) {
        const bool on = std::find(settings_.masks.begin(), settings_.masks.end(), m) != settings_.masks.end();
        if (m == mask ? !had : on) chosen.push_back(m);
    }
    settings_.masks = chosen;
    saveSettings();
    viewChanged();
    updateMenus();
}

void TrendWindow::setStabilityOption(bool TrendSettings::*option) {
    settings_.*option = !(settings_.*option);
    saveSettings();
    viewChanged();
    updateMenus();
}

std::string TrendWindow::stabilityNote() {
    curves();
    return coverageNote(nominalInterval(), coverage_);
}

// ---- Table, plot and recording

void TrendWindow::copyTable() { ctx_.platform.clipboard.setText(tableCopyText(table())); }

void TrendWindow::saveTable() {
    const auto path = ctx_.platform.dialogs.saveFile("Save Stability Table", kTableFilter, "stability.csv");
    if (!path) return;
    try {
        ctx_.platform.files.create(*path)->write(tableCsvText(table()));
    } catch (const platform::FileError&) {
        ctx_.platform.dialogs.msgBox("Cannot write " + *path, form_.caption, platform::MsgIcon::Exclamation,
                                     platform::MsgButtons::Ok);
    }
}

void TrendWindow::savePlot() {
    const auto path = ctx_.platform.dialogs.saveFile("Save Plot", kImageFilter, "trend.png");
    if (path) form_.plotImagePath = *path;
}

void TrendWindow::plotImageWritten(const std::string& path, const std::string& failure) {
    if (!failure.empty())
        ctx_.platform.dialogs.msgBox("Cannot write " + path + ": " + failure, form_.caption,
                                     platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
}

void TrendWindow::recordToFile() {
    const auto path = ctx_.platform.dialogs.saveFile("Record to File", kTrendFilter,
                                                     settings_.recordFile.empty() ? "trend.csv" : settings_.recordFile);
    if (path) startRecording(*path);
}

void TrendWindow::startRecording(const std::string& path) {
    if (!writer_.open(path, settings_.intervalSeconds)) {
        say("Not recording: " + path + ": " + writer_.error());
        ctx_.platform.dialogs.msgBox("Cannot record to " + path + ": " + writer_.error(), form_.caption,
                                     platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
    } else {
        notice_.clear();
        settings_.recordFile = path;
        saveSettings();
    }
    updateMenus();
}

void TrendWindow::stopRecording() {
    writer_.close();
    settings_.recordFile.clear();
    notice_.clear();
    saveSettings();
    updateMenus();
}

void TrendWindow::chooseRecordedFile() {
    const auto path = ctx_.platform.dialogs.openFile(kTrendFilter);
    if (path) openRecordedFile(*path);
}

void TrendWindow::openRecordedFile(const std::string& path) {
    // The samples go straight from the file to the series, the file's own series replacing the
    // live ones at its first sample: nothing changes when it cannot be opened.
    bool replaced = false;
    const RecordedFile file =
        scanRecordedFile(ctx_.platform.files, path, [&](double time, const std::string& query, double value) {
            if (!replaced) {
                replaced = true;
                series_.clear();
            }
            auto it = std::find_if(series_.begin(), series_.end(), [&](const auto& s) { return s->query == query; });
            if (it == series_.end()) it = series_.insert(series_.end(), makeSeries(query, capacity_));
            (*it)->ring.add(time, value);
        });
    if (!file.error.empty() && !replaced) {
        ctx_.platform.dialogs.msgBox("Cannot open " + path + ": " + file.error, form_.caption,
                                     platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
        return;
    }
    // The file is shown on its own: sampling pauses until "Pause Sampling" is unchecked.
    sampler_.setPaused(true);
    showingFile_ = true;
    fileInterval_ = file.interval;
    filePath_ = path;
    if (!replaced) series_.clear();
    rebuildSeries(file.queries);
    form_.caption = "Trend - " + path;
    mode_ = ViewMode::All;
    const std::string notice = file.notice(path);
    notice_.clear();
    if (!notice.empty()) say(notice);
    updateMenus();
}

// ---- State shown in the menus and the information line

void TrendWindow::saveSettings() {
    const std::string failure = writeTrendSettings(ctx_.platform.profile, settings_);
    if (!failure.empty()) say("Settings not saved: " + failure);
}

void TrendWindow::say(const std::string& text) {
    notice_ = text;
    refreshInfo();
}

// Why the link takes no sample now, though the trend would: empty when nothing keeps it.
std::string TrendWindow::samplingWaits() const {
    const Form1& f = ctx_.forms.form1;
    const LinkState& s = ctx_.state;
    if (!ctx_.platform.serial.portOpen()) return "until the port is open";
    if (f.demoMode.checked) return "in demo mode";
    if (f.funcTermEmul.checked) return "while the terminal view is shown";
    if (f.disableUpdates.checked) return "while updates are disabled";
    if (s.downloadPrep || !f.Timer1.enabled) return "while a download is under way";
    if (s.queryGroup != 0) return "while a status-query group runs";
    return "";
}

std::string TrendWindow::samplingText() const {
    if (settings_.series.empty()) return "no series is sampled: choose one from the Series menu";
    if (sampler_.paused()) return "sampling paused";
    const std::string waits = samplingWaits();
    if (!waits.empty()) return "sampling waits " + waits;
    const double interval = settings_.intervalSeconds, achieved = sampler_.achievedInterval();
    std::string text = "sampling every " + intervalText(interval);
    if (achieved > interval * kMetWithin) {
        text += ", achieved " + intervalText(achieved);
        text += settings_.holdView ? " (the line is too slow for the queries at this interval)"
                                   : " (the view's polls take the time: Series, Pause View Polls While Sampling)";
    }
    return text;
}

std::string TrendWindow::infoLine() const {
    if (!notice_.empty()) return notice_;
    if (showingFile_)
        return "Showing " + filePath_ + ", interval " + (fileInterval_ > 0 ? intervalText(fileInterval_) : "unknown");
    std::string text = samplingText();
    if (writer_.isOpen()) return "Recording to " + writer_.path() + ", " + text;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

void TrendWindow::refreshInfo() {
    publishPlot();
    if (!started_ && notice_.empty()) return;  // nothing to say before the window first opens
    const std::string text = infoLine();
    if (text == form_.lblTrendInfo.caption) return;
    form_.lblTrendInfo.caption = text;
    form_.lblTrendInfo.toolTip = text;
}

void TrendWindow::updateMenus() {
    FrmTrend& f = form_;
    auto has = [&](const char* q) {
        return std::find(settings_.series.begin(), settings_.series.end(), q) != settings_.series.end();
    };
    f.mnuTrendTint.checked = !showingFile_ && has(kTimeIntervalQuery);
    f.mnuTrendEfc.checked = !showingFile_ && has(kEfcQuery);
    f.mnuTrendPause.checked = sampler_.paused();
    f.mnuTrendHoldView.checked = settings_.holdView;
    f.mnuTrendRecord.enabled = !writer_.isOpen();
    f.mnuTrendStopRecord.enabled = writer_.isOpen();
    const int seconds = settings_.intervalSeconds;
    f.mnuInterval1s.checked = seconds == 1;
    f.mnuInterval10s.checked = seconds == 10;
    f.mnuInterval1min.checked = seconds == 60;
    f.mnuInterval10min.checked = seconds == 600;
    f.mnuInterval1h.checked = seconds == 3600;
    auto chosen = [this](Statistic s) {
        return std::find(settings_.statistics.begin(), settings_.statistics.end(), s) != settings_.statistics.end();
    };
    f.mnuTrendAdev.checked = chosen(Statistic::Adev);
    f.mnuTrendMdev.checked = chosen(Statistic::Mdev);
    f.mnuTrendHdev.checked = chosen(Statistic::Hdev);
    f.mnuTrendTdev.checked = chosen(Statistic::Tdev);
    f.mnuTrendTieRms.checked = chosen(Statistic::TieRms);
    f.mnuTrendMtie.checked = chosen(Statistic::Mtie);
    auto masked = [this](Mask m) {
        return std::find(settings_.masks.begin(), settings_.masks.end(), m) != settings_.masks.end();
    };
    f.mnuTrendMaskPrc.checked = masked(Mask::G811Prc);
    f.mnuTrendMaskPrtcA.checked = masked(Mask::G8272PrtcA);
    f.mnuTrendMaskPrtcB.checked = masked(Mask::G8272PrtcB);
    f.mnuTrendErrorBars.checked = settings_.errorBars;
    f.mnuTrendRemoveDrift.checked = settings_.removeDrift;
    refreshInfo();
}

}  // namespace kestrix
