#pragma once

#include "shared/controls.h"

namespace kestrix {

// The trend window: the receiver's readings plotted against UTC, their figures, and for a time
// interval its stability plot and table. The plots and the table are drawn by the display layer
// from the trend's state (trend/trend_window.h) into `plotArea`; the rest are ordinary controls.
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

    // Lays the controls out for the window's inner size.
    void layout();
};

}  // namespace kestrix
