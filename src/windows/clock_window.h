#pragma once

#include "state/context.h"
#include "state/display_forms.h"

namespace kestrix {

// The clock window: lblClock always fills its inner area.
void layoutClockWindow(FrmClock& window);

// Sizes the clock window to hold exactly eight "X" of the clock font: the window takes lblClock's
// face and size, and its inner area the size of clockSizeSample in that font. A size that
// cannot be computed leaves the window as it was.
void refitClockWindow(Context& ctx);

// The clock window's load (it hides itself: the clock view shows it) and its resize.
void wireClockWindow(Context& ctx);

}  // namespace kestrix
