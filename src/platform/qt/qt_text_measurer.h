#pragma once

#include "platform/qt/twips.h"
#include "platform/services.h"

namespace kestrix::platform::qt {

// Measures texts in the fonts the screen draws them with.
class QtTextMeasurer final : public TextMeasurer {
public:
    explicit QtTextMeasurer(Twips twips = Twips::ofScreen()) : twips_(twips) {}
    int textWidth(const std::string& text, const FontSpec& font) override;
    int textHeight(const std::string& text, const FontSpec& font) override;
    float usableSize(const FontSpec& font) override;

private:
    Twips twips_;
};

}  // namespace kestrix::platform::qt
