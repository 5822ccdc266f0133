#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "state/trend_forms.h"
#include "trend/analysis.h"
#include "trend/figures.h"
#include "trend/masks.h"
#include "trend/series.h"

namespace kestrix {

// What the trend window's plots show, as plain state (state/trend_forms.h): the display layer maps
// it to pixels and draws it, choosing nothing itself.

// The figures under a strip: "last 33.58 ns", "mean ...", "std dev ...", "min ...", "max ...",
// "(3600 samples)"; a figure that is not a number shows as "-".
std::vector<std::string> figureTexts(const SpanFigures& figures, const std::string& unit);

// A strip of `ring`'s readings from `from` to `to` (UTC seconds) in `columns` columns, the values
// scaled by `scale`; its heading and figures are left to the caller.
TrendStrip stripOf(const SampleRing& ring, double scale, double from, double to, std::size_t columns);

// The labelled times under strips `columns` pixels wide showing `from` to `to`: at most one label
// per 90 pixels, on a step of whole seconds, minutes, hours or days, in UTC.
std::vector<TrendPlotState::TimeTick> timeTicks(double from, double to, int columns);

// The stability plot of `curves`, with their error bars when `errorBars`, and each of `masks` over
// the MTIE and TDEV among them; `anyChosen` says whether a statistic was chosen at all.
TrendStabilityState stabilityPlotOf(const std::vector<StatisticCurve>& curves, const std::vector<Mask>& masks,
                                    bool errorBars, bool anyChosen);

}  // namespace kestrix
