#include "state/trend_forms.h"

#include <algorithm>

namespace kestrix {

FrmTrend::FrmTrend() : Window("frmTrend", "Trend") {
    geometry = {1200, 1200, 12000, 8400};
    lblTrendInfo.elideInTheMiddle = true;
    cmdTrendCopy.caption = "Copy";
    cmdTrendSave.caption = "Save...";
    lblTrendMasks.elideInTheMiddle = true;
    controls = {&lblTrendInfo, &lblTrendMasks, &cmdTrendCopy, &cmdTrendSave};

    mnuTrendFile.items = {&mnuTrendOpen,     &mnuTrendRecord, &mnuTrendStopRecord, &hyphTrend1,
                          &mnuTrendSavePlot, &hyphTrend2,     &mnuTrendClose};
    mnuTrendSeries.items = {&mnuTrendTint,  &mnuTrendEfc,      &mnuTrendOther, &hyphTrend3,
                            &mnuTrendPause, &mnuTrendHoldView, &mnuTrendClear};
    mnuTrendInterval.items = {&mnuInterval1s, &mnuInterval10s, &mnuInterval1min, &mnuInterval10min, &mnuInterval1h};
    mnuTrendView.items = {&mnuTrendZoomIn, &mnuTrendZoomOut, &mnuTrendPanLeft, &mnuTrendPanRight, &mnuTrendShowAll};
    mnuTrendStability.items = {&mnuTrendAdev,        &mnuTrendMdev, &mnuTrendHdev,    &mnuTrendTdev,
                               &mnuTrendTieRms,      &mnuTrendMtie, &hyphTrend4,      &mnuTrendErrorBars,
                               &mnuTrendRemoveDrift, &hyphTrend5,   &mnuTrendMaskPrc, &mnuTrendMaskPrtcA,
                               &mnuTrendMaskPrtcB};
    menuBar = {&mnuTrendFile, &mnuTrendSeries, &mnuTrendInterval, &mnuTrendView, &mnuTrendStability};
    mnuTrendStopRecord.enabled = false;
    layout();
}

void FrmTrend::layout() {
    constexpr int kMargin = 60, kButtonWidth = 1100, kButtonHeight = 380;
    const int width = std::max(innerWidth() > 0 ? innerWidth() : geometry.width - 240, 4000);
    const int height = std::max(innerHeight() > 0 ? innerHeight() : geometry.height - 900, 3000);
    constexpr int kMaskLineHeight = 260;
    const int bandTop = height - kButtonHeight - kMargin;
    const int maskTop = bandTop - kMargin - kMaskLineHeight;
    plotArea = {0, 0, width, maskTop - kMargin};
    lblTrendMasks.geometry = {kMargin, maskTop, width - 2 * kMargin, kMaskLineHeight};
    cmdTrendSave.geometry = {width - kMargin - kButtonWidth, bandTop, kButtonWidth, kButtonHeight};
    cmdTrendCopy.geometry = {cmdTrendSave.geometry.left - kMargin - kButtonWidth, bandTop, kButtonWidth, kButtonHeight};
    lblTrendInfo.geometry = {kMargin, bandTop + 60, cmdTrendCopy.geometry.left - 2 * kMargin, kButtonHeight - 60};
}

FrmTrendQuery::FrmTrendQuery() : Window("frmTrendQuery", "Trend") {
    dialog = true;
    geometry = {4000, 3000, 5400, 1900};
    lblPrompt.caption = "A query whose reply starts with a number:";
    lblPrompt.geometry = {240, 180, 4900, 255};
    txtQuery.geometry = {240, 480, 4900, 345};
    cmdOK.caption = "OK";
    cmdOK.geometry = {2640, 1000, 1200, 420};
    cmdCancel.caption = "Cancel";
    cmdCancel.geometry = {3940, 1000, 1200, 420};
    controls = {&lblPrompt, &txtQuery, &cmdOK, &cmdCancel};
    defaultButton = &cmdOK;
    cancelButton = &cmdCancel;
}

}  // namespace kestrix
