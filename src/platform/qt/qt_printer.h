#pragma once

#include <QFont>
#include <QPrinter>

#include <memory>

#include "platform/services.h"

class QPainter;

namespace kestrix::platform::qt {

// The system's printer. A document starts with the first text or page after endDoc(); sizes are
// twips of the page. Failing to start a document throws std::runtime_error with the reason.
class QtPrinter final : public Printer {
public:
    QtPrinter();
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    // The device the print dialog sets up.
    QPrinter& device() { return printer_; }

    void setFont(const FontSpec& font) override;
    int textHeight(const std::string& text) override;
    int scaleHeight() override;
    void print(const std::string& text) override;
    void newPage() override;
    void endDoc() override;

private:
    QPainter& painter();
    double lineSpacing() const;
    int toTwips(double pixels) const;

    QPrinter printer_;
    std::unique_ptr<QPainter> painter_;
    QFont font_;
    double y_ = 0;   // device pixels from the top of the printable area
};

}  // namespace kestrix::platform::qt
