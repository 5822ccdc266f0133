#pragma once

// Small services of the platform: text measuring, clipboard, help viewer, system beep, printer,
// desktop notifications, and facts about the running program's file.

#include <optional>
#include <string>

#include "shared/font.h"

namespace kestrix::platform {

// Width and height of a text in a font, in twips. Carriage returns (alone or followed by a line
// feed) start new lines: the width is the widest line's, the height counts every line.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual int textWidth(const std::string& text, const FontSpec& font) = 0;
    virtual int textHeight(const std::string& text, const FontSpec& font) = 0;
    // The size the platform would really use for this font (fonts have a largest size).
    virtual float usableSize(const FontSpec& font) { return font.size; }
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() = 0;
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Opens the help file at the topic indexed under `keyword` and returns without waiting. Returns
    // empty when the help is shown, otherwise why not, naming where the file was looked for.
    virtual std::string showKeyword(const std::string& helpFile, const std::string& keyword) = 0;
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The printer the print dialog chose. A document (one print job) starts with the first text
// printed after endDoc() or abortDoc(); failures throw std::exception with the reason.
class Printer {
public:
    virtual ~Printer() = default;
    virtual void setFont(const FontSpec& font) = 0;
    virtual int textHeight(const std::string& text) = 0;  // twips
    virtual int scaleHeight() = 0;                        // printable height, twips
    virtual void print(const std::string& text) = 0;      // the text, then a line end
    virtual void newPage() = 0;
    // Ends the job; with nothing printed since the last one there is no job to end.
    virtual void endDoc() = 0;
    // Drops the unfinished job, if any, so that nothing of it reaches the next one.
    virtual void abortDoc() = 0;
};

// The desktop's notification service: a short message shown for a while and kept in the
// desktop's list of notifications. A desktop without the service, or one that refuses, is not an
// error of the program: the message is simply not shown.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    virtual void notify(const std::string& summary, const std::string& body) = 0;
};

// Facts about the running program's own file.
class ProgramFile {
public:
    virtual ~ProgramFile() = default;
    // Last modification of the running executable as the system formats date and time, or
    // empty when it cannot be found.
    virtual std::optional<std::string> lastModified() = 0;
};

}  // namespace kestrix::platform
