#include "platform/qt/qt_printer.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <stdexcept>

#include "platform/qt/latin1.h"
#include "platform/qt/qt_font.h"

namespace kestrix::platform::qt {

QtPrinter::QtPrinter() : printer_(QPrinter::HighResolution) {}

QtPrinter::~QtPrinter() {
    if (painter_) painter_->end();
}

void QtPrinter::setFont(const FontSpec& font) {
    font_ = toQFont(font);
    if (painter_) painter_->setFont(font_);
}

double QtPrinter::lineSpacing() const { return QFontMetricsF(font_, &printer_).lineSpacing(); }

int QtPrinter::toTwips(double pixels) const {
    return static_cast<int>(std::lround(pixels * 1440.0 / printer_.resolution()));
}

int QtPrinter::textHeight(const std::string& text) {
    return toTwips(lineSpacing() * static_cast<double>(splitLines(text).size()));
}

int QtPrinter::scaleHeight() { return toTwips(printer_.height()); }

QPainter& QtPrinter::painter() {
    if (!painter_) {
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(&printer_)) throw std::runtime_error("The printer could not be started");
        painter->setFont(font_);
        painter_ = std::move(painter);
        y_ = 0;
    }
    return *painter_;
}

void QtPrinter::print(const std::string& text) {
    QPainter& page = painter();
    const QFontMetricsF metrics(font_, &printer_);
    for (const std::string_view line : splitLines(text)) {
        page.drawText(QPointF(0, y_ + metrics.ascent()), fromBytes(line));
        y_ += metrics.lineSpacing();
    }
}

void QtPrinter::newPage() {
    painter();
    if (!printer_.newPage()) throw std::runtime_error("The printer could not start a new page");
    y_ = 0;
}

void QtPrinter::endDoc() {
    if (painter_) painter_->end();
    painter_.reset();
    y_ = 0;
}

}  // namespace kestrix::platform::qt
