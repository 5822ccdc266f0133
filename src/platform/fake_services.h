#pragma once

// Test doubles of the platform's dialogs and small services.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/services.h"

namespace kestrix::platform {

struct ShownMessage {
    std::string text, title;
    MsgIcon icon;
    MsgButtons buttons;
};

// Answers message boxes and dialogs from a script and records what was shown.
class FakeDialogs final : public Dialogs {
public:
    MsgResult msgBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override;
    void showModal(Window& window) override;
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<FontSpec> chooseFont(const FontSpec& font) override;
    std::optional<int> choosePrintCopies() override;

    std::vector<ShownMessage> messages;
    std::deque<MsgResult> msgAnswers;     // default Ok (or the first button)
    std::vector<std::string> modalShown;  // window names, in order
    // What the user does in a modal window, by window name; without one the window is hidden.
    std::map<std::string, std::function<void(Window&)>> modalActions;
    std::optional<std::string> fileAnswer;
    std::optional<FontSpec> fontAnswer;
    std::vector<FontSpec> fontsOffered;
    std::optional<int> printCopies;
    std::vector<std::string> fileFilters;
};

// Every character is 120 twips wide and a line is 240 twips high, times size / 10 points.
class FakeMeasurer final : public TextMeasurer {
public:
    int textWidth(const std::string& text, const FontSpec& font) override;
    int textHeight(const std::string& text, const FontSpec& font) override;
    float usableSize(const FontSpec& font) override { return font.size > maxSize ? maxSize : font.size; }
    float maxSize = 1638.0f;
};

class FakeClipboard final : public Clipboard {
public:
    void setText(const std::string& text) override { contents = text; }
    std::string text() override { return contents; }
    std::string contents;
};

class FakeHelpViewer final : public HelpViewer {
public:
    std::string showKeyword(const std::string& helpFile, const std::string& keyword) override {
        if (!missing.empty()) return missing;
        opened.push_back(helpFile + "#" + keyword);
        return {};
    }
    std::vector<std::string> opened;
    std::string missing;  // set: the help file is not there, and this is why
};

class FakeBeeper final : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

// Records what is printed: each ended job in `jobs`, as its pages' texts, one string per page.
class FakePrinter final : public Printer {
public:
    void setFont(const FontSpec& f) override { font = f; }
    int textHeight(const std::string&) override { return lineHeight; }
    int scaleHeight() override { return pageHeight; }
    void print(const std::string& text) override;
    void newPage() override;
    void endDoc() override;
    void abortDoc() override;

    FontSpec font;
    int lineHeight = 240;
    int pageHeight = 240 * 64;
    // Throws on the print call with this number (1 upwards), as a printer that fails mid-job.
    int failOnPrint = 0;
    // Runs at each print call, before the text is taken (a test reads the progress window there).
    std::function<void()> onPrint;

    std::vector<std::vector<std::string>> jobs;  // ended jobs, each its pages
    std::vector<std::string> current;            // the pages of the job under way
    int prints = 0;
    int endDocs = 0;  // endDoc() calls, with or without pages
    int aborted = 0;  // jobs dropped unfinished
};

// Keeps each notification as its summary and body.
class FakeNotifier final : public DesktopNotifier {
public:
    void notify(const std::string& summary, const std::string& body) override { shown.push_back({summary, body}); }
    std::vector<std::pair<std::string, std::string>> shown;
};

class FakeProgramFile final : public ProgramFile {
public:
    std::optional<std::string> lastModified() override { return modified; }
    std::optional<std::string> modified = "12/6/2026 10:15:00 AM";
};

}  // namespace kestrix::platform
