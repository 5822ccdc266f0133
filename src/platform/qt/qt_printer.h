#pragma once

#include <QFont>
#include <QPrinter>

#include <memory>

#include "platform/services.h"

class QPainter;

namespace kestrix::platform::qt {

// The system's printer, or a PDF file. A document (one job) starts with the first text or page
// after endDoc(); sizes are twips of the page. Failing to start a document throws
// std::runtime_error with the reason. Printed to a file, the jobs of one print run go to files of
// their own: the first to the file chosen, the later ones beside it as "name-copy2.pdf" and so on.
class QtPrinter final : public Printer {
public:
    QtPrinter();
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    // The device the print dialog sets up.
    QPrinter& device() { return printer_; }
    // A print run begins (the print dialog was accepted): the next job is its first.
    void startRun();

    void setFont(const FontSpec& font) override;
    int textHeight(const std::string& text) override;
    int scaleHeight() override;
    void print(const std::string& text) override;
    void newPage() override;
    void endDoc() override;
    void abortDoc() override;

private:
    QPainter& painter();
    void endJob();
    void closeJob();
    double lineSpacing() const;
    int toTwips(double pixels) const;

    QPrinter printer_;
    std::unique_ptr<QPainter> painter_;
    QFont font_;
    double y_ = 0;     // device pixels from the top of the printable area
    QString runFile_;  // the file the print dialog chose for this run, if any
    int jobsInRun_ = 0;
};

}  // namespace kestrix::platform::qt
