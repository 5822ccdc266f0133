#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "platform/services.h"

class QTextBrowser;
class QWidget;

namespace kestrix::platform::qt {

class HelpWindow;

// Shows the HTML manual shipped with the program in a help window of its own (back, forward,
// contents and find), so that help needs no web browser and always opens at its topic. The help
// file "name.hlp" is the page "name.html"; a keyword is the anchor of its topic in lower case,
// words joined by '-' ("Kestrix Help" is "#kestrix-help"). A second request brings the same
// window forward at the topic asked for. The window opens wholly on the screen of the window
// help was asked from.
class QtHelpViewer final : public HelpViewer {
public:
    QtHelpViewer();
    ~QtHelpViewer() override;
    QtHelpViewer(const QtHelpViewer&) = delete;
    QtHelpViewer& operator=(const QtHelpViewer&) = delete;

    std::string showKeyword(const std::string& helpFile, const std::string& keyword) override;

    // Where the manual's page may be, in the order they are tried: beside the executable in
    // ../share/kestrix/help, then the source tree's docs/help.
    static QStringList candidatePaths(const std::string& helpFile);
    // The first of `candidates` that is a file, or empty.
    static QString firstExisting(const QStringList& candidates);
    static QString locate(const std::string& helpFile) { return firstExisting(candidatePaths(helpFile)); }
    static QString anchorOf(const std::string& keyword);

    // The help window and its browser once help has been shown, otherwise null.
    QWidget* window() const;
    QTextBrowser* browser() const;

private:
    std::unique_ptr<HelpWindow> window_;
};

}  // namespace kestrix::platform::qt
