#pragma once

#include "shared/startup_values.h"
#include "state/context.h"
#include "state/display_forms.h"

namespace kestrix {

// The status font chooser (frmFontSelect): the font of the main window's status display.
void statusFontSelect(Context& ctx);
void statusFontDefaults(Context& ctx, const StartupValues& startup);

// The clock font chooser (frmClkFontSelect): the clock's face from the font dialog, its size from
// the Enlarge and Reduce buttons.
void clockFontSelect(Context& ctx);
void clockFontEnlarge(Context& ctx);
void clockFontReduce(Context& ctx);

// Each step of Enlarge and Reduce, and the smallest size Reduce goes down to, in points.
inline constexpr float kClockEnlargeFactor = 1.2f;
inline constexpr float kClockReduceFactor = 0.85f;
inline constexpr float kSmallestClockSize = 6.0f;

// Every button of both choosers. `startup` holds the built-in fonts for the whole run.
void wireFontChoosers(Context& ctx, const StartupValues& startup);

}  // namespace kestrix
