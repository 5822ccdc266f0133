#pragma once

#include <QFont>

#include "shared/font.h"

namespace kestrix::platform::qt {

// The largest point size a font is drawn at; larger sizes are drawn at this one.
inline constexpr float kLargestPointSize = 1638.0f;
inline constexpr float kSmallestPointSize = 1.0f;

float usablePointSize(float size);
// The font as Qt draws it; fixed-pitch faces fall back to a fixed-pitch face when missing.
QFont toQFont(const FontSpec& font);
FontSpec toFontSpec(const QFont& font);

}  // namespace kestrix::platform::qt
