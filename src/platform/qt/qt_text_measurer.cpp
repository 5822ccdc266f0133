#include "platform/qt/qt_text_measurer.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <algorithm>

#include "platform/qt/latin1.h"
#include "platform/qt/qt_font.h"

namespace kestrix::platform::qt {

int QtTextMeasurer::textWidth(const std::string& text, const FontSpec& font) {
    const QFontMetricsF metrics(toQFont(font));
    qreal widest = 0;
    for (const std::string_view line : splitLines(text))
        widest = std::max(widest, metrics.horizontalAdvance(fromBytes(line)));
    return twips_.xFromPixels(widest);
}

// Text boxes lay their lines out on whole pixels, so a line is as high as the rounded-up spacing.
int QtTextMeasurer::textHeight(const std::string& text, const FontSpec& font) {
    const QFontMetrics metrics(toQFont(font));
    return twips_.yFromPixels(metrics.lineSpacing() * static_cast<double>(splitLines(text).size()));
}

float QtTextMeasurer::usableSize(const FontSpec& font) { return usablePointSize(font.size); }

}  // namespace kestrix::platform::qt
