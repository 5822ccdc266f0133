#include "platform/qt/qt_font.h"

#include <algorithm>
#include <array>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

namespace {
// Face names that promise fixed-pitch letters; the status screen and the terminal line up by them.
constexpr std::array<const char*, 4> kFixedPitchFaces{"courier", "fixedsys", "terminal", "mono"};

bool isFixedPitchFace(const QString& face) {
    const QString lower = face.toLower();
    return std::any_of(kFixedPitchFaces.begin(), kFixedPitchFaces.end(),
                       [&](const char* fixed) { return lower.contains(QLatin1String(fixed)); });
}
}  // namespace

float usablePointSize(float size) {
    if (!(size >= kSmallestPointSize)) return kSmallestPointSize;  // also NaN
    return std::min(size, kLargestPointSize);
}

QFont toQFont(const FontSpec& font) {
    QFont qfont(fromBytes(font.name));
    qfont.setPointSizeF(usablePointSize(font.size));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    if (isFixedPitchFace(qfont.family())) qfont.setStyleHint(QFont::TypeWriter);
    return qfont;
}

FontSpec toFontSpec(const QFont& font) {
    return {toBytes(font.family()), static_cast<float>(font.pointSizeF()), font.italic(), font.bold()};
}

}  // namespace kestrix::platform::qt
