#pragma once

#include <optional>
#include <string>

#include "shared/controls.h"
#include "state/context.h"

namespace kestrix {

// The largest window side the window system can take, in twips.
inline constexpr int kLargestWindowSide = 32767 * 15;

// A measured side if a window can take it, else nothing.
std::optional<int> usableWindowSide(long long twips);

// The outer size of a window whose inner area holds `sample` in `font`; nothing when the sample
// cannot be measured or the window could not take the size.
struct OuterSize {
    int width;
    int height;
};
std::optional<OuterSize> outerSizeHolding(Context& ctx, const Window& window, const std::string& sample,
                                          const FontSpec& font);

}  // namespace kestrix
