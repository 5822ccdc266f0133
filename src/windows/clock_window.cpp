#include "windows/clock_window.h"

#include <algorithm>

#include "common/fitting.h"
#include "shared/size_samples.h"

namespace kestrix {

void layoutClockWindow(FrmClock& window) {
    Rect& label = window.lblClock.geometry;
    label.width = std::max(0, window.innerWidth());
    label.height = std::max(0, window.innerHeight());
}

void refitClockWindow(Context& ctx) {
    FrmClock& window = ctx.forms.frmClock;
    window.font.name = window.lblClock.font.name;
    window.font.size = window.lblClock.font.size;
    if (const auto size = outerSizeHolding(ctx, window, clockSizeSample, window.font)) {
        window.geometry.width = size->width;
        window.geometry.height = size->height;
    }
    layoutClockWindow(window);
}

void wireClockWindow(Context& ctx) {
    FrmClock& window = ctx.forms.frmClock;
    window.hide();
    window.onResize = [&window] { layoutClockWindow(window); };
}

}  // namespace kestrix
