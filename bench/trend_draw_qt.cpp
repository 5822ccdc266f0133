// Drawing the trend window's plot with a week of one-second samples in each of two series.

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <cmath>

#include "app/renderer.h"
#include "app/trend_panel.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"
#include "trend/trend_window.h"

namespace {

using namespace kestrix;

void BM_DrawAWeekOfTwoSeries(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);

    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix program(platform);
    app::Renderer renderer(program.forms.all(), platform::qt::Twips(96, 96));
    TrendWindow& trend = program.trend();
    app::TrendPanel panel(program.forms.frmTrend, renderer.viewOf(program.forms.frmTrend)->canvas(), renderer,
                          renderer.twips());
    renderer.forward([&] {
        program.forms.form1.funcTrend.onClick();
        program.forms.frmTrend.mnuTrendTint.onClick();
        program.forms.frmTrend.mnuTrendEfc.onClick();
        program.forms.frmTrend.mnuInterval1s.onClick();
    });
    const double start = 1796601600;
    for (int i = 0; i < 604800; ++i) {
        trend.addSample(kTimeIntervalQuery, start + i, 33e-9 + 2e-9 * std::sin(i / 3000.0), "r");
        trend.addSample(kEfcQuery, start + i, 48.7 + i * 1e-7, "r");
    }
    renderer.forward([&] { program.forms.frmTrend.mnuTrendShowAll.onClick(); });  // the week reaches the plot
    panel.refresh();
    QPixmap target(panel.plot().size());
    for (auto _ : state) panel.plot().render(&target);
    state.counters["width_px"] = panel.plot().width();
}
BENCHMARK(BM_DrawAWeekOfTwoSeries)->Unit(benchmark::kMillisecond);

}  // namespace
