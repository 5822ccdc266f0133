#include "platform/qt/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kestrix::platform::qt {

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;

int pixelsOf(int twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch)); }
int twipsOf(double pixels, double dpi) { return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi)); }
}  // namespace

Twips Twips::ofScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {kFallbackDpi, kFallbackDpi};
    return {screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY()};
}

int Twips::xToPixels(int twips) const { return pixelsOf(twips, dpiX_); }
int Twips::yToPixels(int twips) const { return pixelsOf(twips, dpiY_); }
int Twips::xFromPixels(double pixels) const { return twipsOf(pixels, dpiX_); }
int Twips::yFromPixels(double pixels) const { return twipsOf(pixels, dpiY_); }

QRect Twips::toPixels(const Rect& twips) const {
    return {xToPixels(twips.left), yToPixels(twips.top), xToPixels(twips.width), yToPixels(twips.height)};
}

Rect Twips::fromPixels(const QRect& pixels) const {
    return {xFromPixels(pixels.x()), yFromPixels(pixels.y()), xFromPixels(pixels.width()),
            yFromPixels(pixels.height())};
}

}  // namespace kestrix::platform::qt
