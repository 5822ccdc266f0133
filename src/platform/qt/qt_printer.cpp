#include "platform/qt/qt_printer.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <stdexcept>

#include "platform/qt/latin1.h"
#include "platform/qt/qt_font.h"

namespace kestrix::platform::qt {

namespace {
// "dir/name.pdf" for the first job of a run, "dir/name-copy2.pdf" for the second and so on.
QString jobFile(const QString& chosen, int job) {
    if (job <= 1) return chosen;
    const QFileInfo file(chosen);
    const QString suffix = file.suffix().isEmpty() ? QString() : QStringLiteral(".") + file.suffix();
    const QString base = file.suffix().isEmpty() ? file.fileName() : file.completeBaseName();
    return file.dir().filePath(base + QStringLiteral("-copy") + QString::number(job) + suffix);
}
}  // namespace

QtPrinter::QtPrinter() : printer_(QPrinter::HighResolution) { printer_.setDocName(QStringLiteral("Kestrix")); }

// The file chosen in the dialog just accepted is this run's, whatever the last run printed to.
void QtPrinter::startRun() {
    const QString chosen = printer_.outputFileName();
    closeJob();
    runFile_ = chosen;
    jobsInRun_ = 0;
}

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
        ++jobsInRun_;
        if (!runFile_.isEmpty()) printer_.setOutputFileName(jobFile(runFile_, jobsInRun_));
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

void QtPrinter::endDoc() { endJob(); }

void QtPrinter::abortDoc() {
    if (painter_) printer_.abort();
    endJob();
}

void QtPrinter::endJob() {
    closeJob();
    if (!runFile_.isEmpty()) printer_.setOutputFileName(runFile_);  // the dialog offers the file chosen
}

void QtPrinter::closeJob() {
    if (painter_) painter_->end();
    painter_.reset();
    y_ = 0;
}

}  // namespace kestrix::platform::qt
