#include "console/fitting.h"

#include "shared/size_samples.h"

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

namespace {

void resize(Window& window, int width, int height) {
    window.geometry.width = width;
    window.geometry.height = height;
    if (window.onResize) window.onResize();
}

}  // namespace

void fitMainWindowToView(Context& ctx) {
    Form1& form1 = ctx.forms.form1;
    if (!form1.funcStatus.checked) {
        if (const auto height = usableWindowSide(static_cast<long long>(form1.frameHeight) + form1.Line1.y2))
            resize(form1, form1.geometry.width, *height);
        return;
    }
    form1.font = form1.Term.font;
    platform::TextMeasurer& measurer = ctx.platform.measurer;
    // The width holds a line without any frame allowance, the height adds the frame and menu bar.
    const auto width = usableWindowSide(measurer.textWidth(lineWidthSample, form1.font));
    const auto height = usableWindowSide(static_cast<long long>(measurer.textHeight(screenHeightSample, form1.font)) +
                                         form1.frameHeight);
    if (width && height) resize(form1, *width, *height);
}

}  // namespace kestrix
