#include "common/fitting.h"

#include "platform/platform.h"

namespace kestrix {

std::optional<int> usableWindowSide(long long twips) {
    if (twips <= 0 || twips > kLargestWindowSide) return std::nullopt;
    return static_cast<int>(twips);
}

std::optional<OuterSize> outerSizeHolding(Context& ctx, const Window& window, const std::string& sample,
                                          const FontSpec& font) {
    platform::TextMeasurer& measurer = ctx.platform.measurer;
    const auto width = usableWindowSide(static_cast<long long>(measurer.textWidth(sample, font)) + window.frameWidth);
    const auto height =
        usableWindowSide(static_cast<long long>(measurer.textHeight(sample, font)) + window.frameHeight);
    if (!width || !height) return std::nullopt;
    return OuterSize{*width, *height};
}

}  // namespace kestrix
