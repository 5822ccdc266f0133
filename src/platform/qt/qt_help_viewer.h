#pragma once

#include <QString>

#include "platform/services.h"

namespace kestrix::platform::qt {

// Opens the HTML help shipped with the program in the desktop's browser. The help file
// "name.hlp" is the page "name.html" of the manual, found where locateManual looks; a keyword is
// the anchor of its topic in lower case, words joined by '-' ("Kestrix Help" is "#kestrix-help").
class QtHelpViewer final : public HelpViewer {
public:
    void showKeyword(const std::string& helpFile, const std::string& keyword) override;

    // Where the help page is, or empty when it is nowhere to be found.
    static QString locate(const std::string& helpFile);
    static QString anchorOf(const std::string& keyword);
};

}  // namespace kestrix::platform::qt
