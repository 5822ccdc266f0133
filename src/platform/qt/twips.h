#pragma once

// Twips (1/1440 inch) and pixels at the screen's logical resolution.

#include <QRect>

#include "shared/controls.h"

namespace kestrix::platform::qt {

class Twips {
public:
    Twips(double dpiX, double dpiY) : dpiX_(dpiX), dpiY_(dpiY) {}
    // The primary screen's logical resolution (96 dots per inch without a screen).
    static Twips ofScreen();

    int xToPixels(int twips) const;
    int yToPixels(int twips) const;
    int xFromPixels(double pixels) const;
    int yFromPixels(double pixels) const;
    QRect toPixels(const Rect& twips) const;
    Rect fromPixels(const QRect& pixels) const;

    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

private:
    double dpiX_;
    double dpiY_;
};

}  // namespace kestrix::platform::qt
