// The trend's costs over a week of one-second samples (604,800 readings): decimating the visible
// span to the plot's pixel columns, the Allan and time deviations over it, the figures, and adding
// a sample to a full ring. The six stability statistics with their error bars are measured beside
// the Allan and time deviations' table (the reference, in the same run), and each statistic alone
// over a day, a week and a month of readings, to show the cost growing with the record's length.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>

#include "support/rig.h"
#include "trend/analysis.h"
#include "trend/figures.h"
#include "trend/record.h"
#include "trend/series.h"
#include "trend/stability.h"
#include "trend/trend_window.h"

namespace {

using namespace kestrix;

platform::PosixFiles posixFiles;

constexpr double kStart = 1796601600;

// A week of a time interval: white phase noise over a random-walk frequency.
const SampleRing& week() {
    static const SampleRing ring = [] {
        SampleRing r;
        std::mt19937_64 random(7);
        std::normal_distribution<double> normal;
        double phase = 0, frequency = 0;
        for (std::size_t i = 0; i < SampleRing::kWeekOfSeconds; ++i) {
            frequency += 1e-13 * normal(random);
            phase += frequency;
            r.add(kStart + static_cast<double>(i), 33e-9 + phase + 0.5e-9 * normal(random));
        }
        return r;
    }();
    return ring;
}

void BM_DecimateAWeekToPlotColumns(benchmark::State& state) {
    const SampleRing& ring = week();
    const auto columns = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(decimate(ring, ring.time(0), ring.time(ring.size() - 1), columns));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ring.size()));
}
BENCHMARK(BM_DecimateAWeekToPlotColumns)->Arg(1000)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_StabilityTableOverAWeek(benchmark::State& state) {
    const SampleRing& ring = week();
    for (auto _ : state) {
        const auto phase = phaseGrid(ring, ring.time(0), ring.time(ring.size() - 1), 1.0);
        benchmark::DoNotOptimize(stabilityTable(phase, 1.0));
    }
}
BENCHMARK(BM_StabilityTableOverAWeek)->Unit(benchmark::kMillisecond);

// A time interval of `days` days at one reading a second, as phase: white phase noise over a
// random-walk frequency.
const std::vector<double>& phaseOf(std::size_t days) {
    static std::map<std::size_t, std::vector<double>> made;
    auto [it, fresh] = made.try_emplace(days);
    if (fresh) {
        std::mt19937_64 random(days);
        std::normal_distribution<double> normal;
        double phase = 0, frequency = 0;
        for (std::size_t i = 0; i < days * 86400; ++i) {
            frequency += 1e-13 * normal(random);
            phase += frequency;
            it->second.push_back(33e-9 + phase + 0.5e-9 * normal(random));
        }
    }
    return it->second;
}

void BM_AllSixStatisticsWithErrorBarsOverAWeek(benchmark::State& state) {
    const std::vector<double>& phase = phaseOf(7);
    const AnalysisChoice all{{kStatistics.begin(), kStatistics.end()}, false};
    for (auto _ : state) benchmark::DoNotOptimize(analyse(phase, 1.0, all));
}
BENCHMARK(BM_AllSixStatisticsWithErrorBarsOverAWeek)->Unit(benchmark::kMillisecond);

void BM_MtieAtOctavesOverAWeek(benchmark::State& state) {
    const std::vector<double>& phase = phaseOf(7);
    for (auto _ : state) benchmark::DoNotOptimize(analyse(phase, 1.0, {{Statistic::Mtie}, false}));
}
BENCHMARK(BM_MtieAtOctavesOverAWeek)->Unit(benchmark::kMillisecond);

// One statistic (its index in kStatistics) with its error bars over `days` days: the time per
// reading should not grow with the length.
void BM_OneStatisticByRecordLength(benchmark::State& state) {
    const Statistic statistic = kStatistics[static_cast<std::size_t>(state.range(0))];
    const std::vector<double>& phase = phaseOf(static_cast<std::size_t>(state.range(1)));
    state.SetLabel(statisticName(statistic));
    for (auto _ : state) benchmark::DoNotOptimize(analyse(phase, 1.0, {{statistic}, false}));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * phase.size()));
}
BENCHMARK(BM_OneStatisticByRecordLength)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 7, 30}})->Unit(benchmark::kMillisecond);

void BM_AllSixStatisticsOverAMonth(benchmark::State& state) {
    const std::vector<double>& phase = phaseOf(30);
    const AnalysisChoice all{{kStatistics.begin(), kStatistics.end()}, false};
    for (auto _ : state) benchmark::DoNotOptimize(analyse(phase, 1.0, all));
}
BENCHMARK(BM_AllSixStatisticsOverAMonth)->Unit(benchmark::kMillisecond);

// A recorded file of `days` days of one-second time-interval samples, written once per run.
const std::string& recordOf(std::size_t days) {
    static std::map<std::size_t, std::string> made;
    auto [it, fresh] = made.try_emplace(days, "/tmp/kestrix-bench-record-" + std::to_string(days) + "d.csv");
    if (fresh) {
        std::remove(it->second.c_str());
        RecordWriter writer(posixFiles);
        writer.open(it->second, 1.0);
        writer.close();
        std::FILE* file = std::fopen(it->second.c_str(), "ab");
        const std::vector<double>& phase = phaseOf(days);
        for (std::size_t i = 0; i < phase.size(); ++i) {
            char reply[32];
            std::snprintf(reply, sizeof reply, "%+.3E\r\n", phase[i]);
            const std::string line = recordLine({kStart + static_cast<double>(i), kTimeIntervalQuery, phase[i], reply});
            std::fwrite(line.data(), 1, line.size(), file);
        }
        std::fclose(file);
    }
    return it->second;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// Opening a recorded file into a series, read a block at a time (as the window does) and, for
// reference, read whole into samples first. The peak memory of the process is reported; run the
// month alone (--benchmark_filter=ReadABlockAtATime/30) to see its own.
void BM_OpenRecordReadABlockAtATime(benchmark::State& state) {
    const std::string& path = recordOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        SampleRing ring;
        scanRecordedFile(posixFiles, path, [&](double t, const std::string&, double v) { ring.add(t, v); });
        benchmark::DoNotOptimize(ring.size());
    }
    state.counters["peakMB"] = peakMegabytes();
}
BENCHMARK(BM_OpenRecordReadABlockAtATime)->Arg(7)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenRecordReadWhole(benchmark::State& state) {
    const std::string& path = recordOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        SampleRing ring;
        const RecordedFile file = readRecordedFile(posixFiles, path);
        for (const RecordedSample& s : file.series.begin()->second) ring.add(s.time, s.value);
        benchmark::DoNotOptimize(ring.size());
    }
    state.counters["peakMB"] = peakMegabytes();
}
BENCHMARK(BM_OpenRecordReadWhole)->Arg(7)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FiguresOverAWeek(benchmark::State& state) {
    const SampleRing& ring = week();
    for (auto _ : state) benchmark::DoNotOptimize(spanFigures(ring.values(0, ring.size())));
}
BENCHMARK(BM_FiguresOverAWeek)->Unit(benchmark::kMillisecond);

void BM_AddASampleToAFullRing(benchmark::State& state) {
    SampleRing ring(static_cast<std::size_t>(state.range(0)));
    double t = kStart;
    for (std::size_t i = 0; i < ring.capacity(); ++i) ring.add(t += 1, 1.0);
    for (auto _ : state) ring.add(t += 1, 2.0);
}
// The same cost whatever the ring holds: adding is O(1).
BENCHMARK(BM_AddASampleToAFullRing)->Arg(1000)->Arg(604800);

}  // namespace

namespace {

// One sample from the idle tick that sends it to the reply stored in the trend, through the link
// on the fake port: what trending costs the program per sample, beside the status polls.
void BM_ASampleThroughTheLink(benchmark::State& state) {
    kestrix::testing::Rig rig;
    rig.connect();
    rig.app->forms.form1.disableUpdates.checked = false;
    rig.form1.funcTrend.onClick();
    rig.forms.frmTrend.mnuTrendTint.onClick();  // the time interval alone
    rig.forms.frmTrend.mnuInterval1s.onClick();
    for (auto _ : state) {
        rig.clock.advance(1);
        rig.tick();  // the view's turn or the sample
        rig.port.receive(rig.port.takeWritten() == ":SYNC:TINT?\r\n" ? "+3.281E-08\r\nscpi > " : "screen\r\nscpi > ");
        rig.tick();  // its reply
    }
    state.counters["samples"] = static_cast<double>(rig.app->trend().series()[0]->ring.size());
}
BENCHMARK(BM_ASampleThroughTheLink);

// The plot state the trend publishes after a change of view (zoom in, then show all again) over a
// week of a time interval and an EFC, no statistic chosen: what a redraw costs the core.
void BM_PublishTheWeeksPlot(benchmark::State& state) {
    kestrix::testing::Rig rig;
    FrmTrend& form = rig.forms.frmTrend;
    rig.form1.funcTrend.onClick();
    for (MenuItem* item :
         {&form.mnuTrendTint, &form.mnuTrendEfc, &form.mnuInterval1s, &form.mnuTrendAdev, &form.mnuTrendTdev})
        item->onClick();
    form.onPlotColumns(static_cast<int>(state.range(0)));
    TrendWindow& trend = rig.app->trend();
    const SampleRing& ring = week();
    for (std::size_t i = 0; i < ring.size(); ++i) {
        trend.addSample(kTimeIntervalQuery, ring.time(i), ring.value(i), "r");
        trend.addSample(kEfcQuery, ring.time(i), 48.7, "r");
    }
    for (auto _ : state) {
        form.mnuTrendZoomIn.onClick();
        form.mnuTrendShowAll.onClick();
    }
    state.counters["revision"] = static_cast<double>(form.plot.revision);
}
BENCHMARK(BM_PublishTheWeeksPlot)->Arg(600)->Arg(1920)->Unit(benchmark::kMillisecond);

}  // namespace
