#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shared/controls.h"

namespace kestrix {

// One strip of the trend plot: a series against UTC over the visible span, as shown (scaled).
struct TrendStrip {
    std::string heading;               // "Time interval (ns)   :SYNC:TINT?"
    std::vector<std::string> figures;  // "last 33.58 ns", "mean ...", ... "(3600 samples)"
    bool any = false;                  // a reading lies in the span: low, high, ticks and columns hold
    double low = 0, high = 0;          // the value axis, readings padded by a twentieth
    struct Tick {
        double value = 0;
        std::string label;
    };
    // The value axis's ticks for room for 2 to 8 of them (index 0: at most 2).
    std::array<std::vector<Tick>, 7> ticks;
    struct Column {
        bool any = false;  // a reading lies in this column
        bool gap = false;  // a failed sample: the line is broken here
        double minimum = 0, maximum = 0;
    };
    std::vector<Column> columns;  // the span in columns of equal time, left to right
};

// The stability plot: the chosen statistics against tau, log-log, and the chosen masks.
struct TrendStabilityState {
    std::string emptyText;  // shown instead of the plot when there is nothing to plot
    // The decades the axes span: 10^tauFrom .. 10^tauTo seconds, 10^valueFrom .. 10^valueTo.
    double tauFrom = 0, tauTo = 1, valueFrom = 0, valueTo = 1;
    struct Point {
        double tau = 0, value = 0;
        bool bars = false;  // low and high hold the error bar
        double low = 0, high = 0;
    };
    struct Curve {
        std::size_t statistic = 0;  // its index among the statistics, which picks its colour
        std::string name;           // as the legend has it
        std::vector<Point> points;  // those that can be drawn on a log scale
    };
    struct MaskLine {
        std::size_t mask = 0;                           // its index among the masks, which picks its dashes
        std::size_t statistic = 0;                      // of the statistic it limits, whose colour it takes
        std::string name;                               // "G.8272 PRTC-A MTIE"
        std::vector<std::pair<double, double>> points;  // (tau, limit)
    };
    std::vector<Curve> curves;
    std::vector<MaskLine> masks;
};

// What the display layer draws in the trend window's plot area, computed by the trend for the
// width it reports; `revision` moves when anything in it changes.
struct TrendPlotState {
    std::uint64_t revision = 0;
    std::string emptyText;  // instead of the strips: "No series", "Waiting for samples..."
    std::vector<TrendStrip> strips;
    struct TimeTick {
        double at = 0;  // 0 the left edge of the span, 1 its right edge
        std::string label;
    };
    std::vector<TimeTick> timeTicks;
    TrendStabilityState stability;
    std::string stabilityNote;  // what the figures stand on: "Tau0 1 s: 200 slots, 3 empty"
    std::vector<std::string> tableHeadings;
    std::vector<std::vector<std::string>> tableRows;
};

// The trend window: the receiver's readings plotted against UTC, their figures, and for a time
// interval its stability plot and table. The plots and the table are drawn by the display layer
// into `plotArea` from `plot`, which the trend (trend/trend_window.h) publishes; the rest are
// ordinary controls.
struct FrmTrend : Window {
    FrmTrend();

    Rect plotArea;                         // where the plots, figures and table go, inner twips
    Label lblTrendInfo{"lblTrendInfo"};    // what the window is showing or recording, and notices
    Label lblTrendMasks{"lblTrendMasks"};  // each chosen mask's verdict: pass, or the first tau failing
    Button cmdTrendCopy{"cmdTrendCopy"};   // the stability table to the clipboard
    Button cmdTrendSave{"cmdTrendSave"};   // the stability table to a CSV file

    MenuItem mnuTrendFile{"mnuTrendFile", "&File"};
    MenuItem mnuTrendOpen{"mnuTrendOpen", "&Open Recorded File..."};
    MenuItem mnuTrendRecord{"mnuTrendRecord", "&Record to File..."};
    MenuItem mnuTrendStopRecord{"mnuTrendStopRecord", "S&top Recording"};
    MenuItem hyphTrend1 = MenuItem::separator("hyphTrend1");
    MenuItem mnuTrendSavePlot{"mnuTrendSavePlot", "Save &Plot..."};
    MenuItem hyphTrend2 = MenuItem::separator("hyphTrend2");
    MenuItem mnuTrendClose{"mnuTrendClose", "&Close"};

    MenuItem mnuTrendSeries{"mnuTrendSeries", "&Series"};
    MenuItem mnuTrendTint{"mnuTrendTint", "&Time Interval (:SYNC:TINT?)"};
    MenuItem mnuTrendEfc{"mnuTrendEfc", "&EFC (:DIAG:ROSC:EFC:ABS?)"};
    MenuItem mnuTrendOther{"mnuTrendOther", "Other &Query..."};
    MenuItem hyphTrend3 = MenuItem::separator("hyphTrend3");
    MenuItem mnuTrendPause{"mnuTrendPause", "&Pause Sampling"};
    // Checked: the view's polls wait while the trend samples, polled only when one fits between
    // rounds, so that a short interval is met on a slow line.
    MenuItem mnuTrendHoldView{"mnuTrendHoldView", "Pause &View Polls While Sampling"};
    MenuItem mnuTrendClear{"mnuTrendClear", "&Clear Samples"};

    // The sample interval; one of them is checked.
    MenuItem mnuTrendInterval{"mnuTrendInterval", "&Interval"};
    MenuItem mnuInterval1s{"mnuInterval1s", "&1 s"};
    MenuItem mnuInterval10s{"mnuInterval10s", "1&0 s"};
    MenuItem mnuInterval1min{"mnuInterval1min", "1 &min"};
    MenuItem mnuInterval10min{"mnuInterval10min", "10 m&in"};
    MenuItem mnuInterval1h{"mnuInterval1h", "1 &h"};

    MenuItem mnuTrendView{"mnuTrendView", "&View"};
    MenuItem mnuTrendZoomIn{"mnuTrendZoomIn", "Zoom &In", "Ctrl++"};
    MenuItem mnuTrendZoomOut{"mnuTrendZoomOut", "Zoom &Out", "Ctrl+-"};
    MenuItem mnuTrendPanLeft{"mnuTrendPanLeft", "Pan &Left", "Ctrl+Left"};
    MenuItem mnuTrendPanRight{"mnuTrendPanRight", "Pan &Right", "Ctrl+Right"};
    MenuItem mnuTrendShowAll{"mnuTrendShowAll", "Show &All", "Ctrl+0"};

    // The stability statistics shown (several at once), their error bars, drift removal, and the
    // ITU-T masks drawn over MTIE and TDEV.
    MenuItem mnuTrendStability{"mnuTrendStability", "S&tability"};
    MenuItem mnuTrendAdev{"mnuTrendAdev", "Overlapping &ADEV"};
    MenuItem mnuTrendMdev{"mnuTrendMdev", "&MDEV"};
    MenuItem mnuTrendHdev{"mnuTrendHdev", "Overlapping &HDEV"};
    MenuItem mnuTrendTdev{"mnuTrendTdev", "&TDEV"};
    MenuItem mnuTrendTieRms{"mnuTrendTieRms", "TIE &rms"};
    MenuItem mnuTrendMtie{"mnuTrendMtie", "MT&IE"};
    MenuItem hyphTrend4 = MenuItem::separator("hyphTrend4");
    MenuItem mnuTrendErrorBars{"mnuTrendErrorBars", "&Error Bars (68.3 %)"};
    MenuItem mnuTrendRemoveDrift{"mnuTrendRemoveDrift", "Remove Frequency &Drift"};
    MenuItem hyphTrend5 = MenuItem::separator("hyphTrend5");
    MenuItem mnuTrendMaskPrc{"mnuTrendMaskPrc", "G.811 &PRC Mask"};
    MenuItem mnuTrendMaskPrtcA{"mnuTrendMaskPrtcA", "G.&8272 PRTC-A Mask"};
    MenuItem mnuTrendMaskPrtcB{"mnuTrendMaskPrtcB", "G.8272 PRTC-&B Mask"};

    // The plots, their figures and the stability table, as the trend last published them.
    TrendPlotState plot;
    // The strips' width in pixels (one column each), as the display layer reports it.
    int plotColumns = 0;
    // The user's zoom (factor below 1 zooms in, about `anchor`, 0 left edge to 1 right edge) and
    // pan (by a fraction of the span) on the plot; and a new width of the strips in pixels.
    std::function<void(double factor, double anchor)> onPlotZoom;
    std::function<void(double fraction)> onPlotPan;
    std::function<void(int columns)> onPlotColumns;

    // File, Save Plot...: the image the display layer is asked to write, as PNG, of what it draws
    // in `plotArea`. Empty when none is asked for; the display layer empties it, writes the image
    // and calls onPlotImageWritten with the path and the failure's description, empty on success.
    std::string plotImagePath;
    std::function<void(const std::string& path, const std::string& failure)> onPlotImageWritten;

    // Lays the controls out for the window's inner size.
    void layout();
};

// Series, Other Query...: a query typed by the user. OK hides the window with `accepted` set.
struct FrmTrendQuery : Window {
    FrmTrendQuery();
    Label lblPrompt{"lblPrompt"};
    TextBox txtQuery{"txtQuery"};
    Button cmdOK{"cmdOK"};
    Button cmdCancel{"cmdCancel"};
    bool accepted = false;
};

}  // namespace kestrix
