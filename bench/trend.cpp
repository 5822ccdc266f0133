// The trend's costs over a week of one-second samples (604,800 readings): decimating the visible
// span to the plot's pixel columns, the Allan and time deviations over it, the figures, and adding
// a sample to a full ring.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "support/rig.h"
#include "trend/figures.h"
#include "trend/series.h"
#include "trend/stability.h"
#include "trend/trend_window.h"

namespace {

using namespace kestrix::trend;

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

}  // namespace
