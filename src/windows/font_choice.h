#pragma once

#include <optional>

#include "shared/controls.h"
#include "state/context.h"

namespace kestrix {

// The font dialog started from `start`: what the user picked, or nothing when the dialog was
// cancelled or failed.
std::optional<FontSpec> askForFont(Context& ctx, const FontSpec& start);

// The size the platform really uses for `font`, or nothing when it reports none that a font
// can have.
std::optional<float> usableFontSize(Context& ctx, const FontSpec& font);

// The font dialog's choice at the size the platform will use; nothing when cancelled, failed, or
// when the chosen size is unusable.
std::optional<FontSpec> chooseFontWithSize(Context& ctx, const FontSpec& start);

}  // namespace kestrix
