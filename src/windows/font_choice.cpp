#include "windows/font_choice.h"

#include <cmath>
#include <exception>

#include "platform/platform.h"

namespace kestrix {

std::optional<FontSpec> askForFont(Context& ctx, const FontSpec& start) {
    try {
        return ctx.platform.dialogs.chooseFont(start);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<float> usableFontSize(Context& ctx, const FontSpec& font) {
    const float size = ctx.platform.measurer.usableSize(font);
    if (!std::isfinite(size) || size <= 0.0f) return std::nullopt;
    return size;
}

std::optional<FontSpec> chooseFontWithSize(Context& ctx, const FontSpec& start) {
    std::optional<FontSpec> chosen = askForFont(ctx, start);
    if (!chosen) return std::nullopt;
    const auto size = usableFontSize(ctx, *chosen);
    if (!size) return std::nullopt;
    chosen->size = *size;
    return chosen;
}

}  // namespace kestrix
