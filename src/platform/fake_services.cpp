#include "platform/fake_services.h"

#include <algorithm>
#include <stdexcept>

#include "shared/controls.h"

namespace kestrix::platform {

namespace {
MsgResult firstButton(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel: return MsgResult::Yes;
        case MsgButtons::RetryCancel: return MsgResult::Retry;
        default: return MsgResult::Ok;
    }
}

// Lines separated by CR, LF or CR LF, each run between them taken in one piece.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    // The next CR and the next LF, each looked for again only once the lines have passed it.
    std::size_t cr = text.find('\r');
    std::size_t lf = text.find('\n');
    for (;;) {
        if (cr < begin) cr = text.find('\r', begin);
        if (lf < begin) lf = text.find('\n', begin);
        const std::size_t end = std::min(cr, lf);
        if (end == std::string::npos) {
            lines.push_back(text.substr(begin));
            return lines;
        }
        lines.push_back(text.substr(begin, end - begin));
        begin = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
}
}  // namespace

MsgResult FakeDialogs::msgBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) {
    messages.push_back({text, title, icon, buttons});
    if (msgAnswers.empty()) return firstButton(buttons);
    const MsgResult answer = msgAnswers.front();
    msgAnswers.pop_front();
    return answer;
}

void FakeDialogs::showModal(Window& window) {
    modalShown.push_back(window.name);
    window.show();
    if (auto action = modalActions.find(window.name); action != modalActions.end()) action->second(window);
    window.hide();
}

std::optional<std::string> FakeDialogs::openFile(const std::string& filter) {
    fileFilters.push_back(filter);
    return fileAnswer;
}

std::optional<std::string> FakeDialogs::saveFile(const std::string& title, const std::string& filter,
                                                 const std::string&) {
    saveTitles.push_back(title);
    fileFilters.push_back(filter);
    return saveAnswer;
}

std::optional<FontSpec> FakeDialogs::chooseFont(const FontSpec& font) {
    fontsOffered.push_back(font);
    return fontAnswer;
}

std::optional<int> FakeDialogs::choosePrintCopies() { return printCopies; }

int FakeMeasurer::textWidth(const std::string& text, const FontSpec& font) {
    std::size_t widest = 0;
    for (const auto& line : linesOf(text)) widest = std::max(widest, line.size());
    return static_cast<int>(static_cast<double>(widest) * 120.0 * font.size / 10.0);
}

int FakeMeasurer::textHeight(const std::string& text, const FontSpec& font) {
    return static_cast<int>(static_cast<double>(linesOf(text).size()) * 240.0 * font.size / 10.0);
}

void FakePrinter::print(const std::string& text) {
    ++prints;
    if (onPrint) onPrint();
    if (prints == failOnPrint) throw std::runtime_error("The printer is out of paper");
    if (current.empty()) current.emplace_back();
    current.back() += text + "\r\n";
}

void FakePrinter::newPage() {
    if (current.empty()) current.emplace_back();
    current.emplace_back();
}

void FakePrinter::endDoc() {
    ++endDocs;
    if (current.empty()) return;
    jobs.push_back(std::move(current));
    current.clear();
}

void FakePrinter::abortDoc() {
    if (!current.empty()) ++aborted;
    current.clear();
}

}  // namespace kestrix::platform
