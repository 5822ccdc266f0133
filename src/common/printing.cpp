#include "common/printing.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/platform.h"

namespace kestrix {

namespace {

constexpr const char* kProgramTitle = "Kestrix";
// One line with ascenders and descenders: its height is the height of a printed line.
constexpr const char* kLineSample = "THISgyp IS A TEST";
// Lines of the printable height left free at the foot of every page.
constexpr double kSpareLines = 4.0;

std::string progressText(const std::string& page, int copy) {
    return "Now Printing Page " + page + " Copy " + std::to_string(copy);
}

// The pieces of `text` that go on one page each, as printed. Lines are counted by carriage
// returns, and a page ends right after the one that fills the quota, so that the line feed after
// it opens the next page. A text that ends on a full page leaves no page holding only that line
// feed.
std::vector<std::string> pagesOf(const std::string& text, float quota) {
    std::vector<std::string> pages;
    std::string page;
    int lines = 0;
    for (const char c : text) {
        page += c;
        if (c == '\r') ++lines;
        if (static_cast<float>(lines) >= quota) {
            pages.push_back(std::move(page));
            page.clear();
            lines = 0;
        }
    }
    if (!page.empty() && !(page == "\n" && !pages.empty())) pages.push_back(std::move(page));
    return pages;
}

// Prints one copy as a job of its own, showing each page's number in the progress window.
void printCopy(platform::Printer& printer, TextBox& progress, const std::vector<std::string>& pages, int copy) {
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (index > 0) {
            printer.newPage();
            progress.setText(progressText(std::to_string(index + 1), copy));
        }
        printer.print(pages[index]);
    }
    printer.endDoc();
}

void printAborted(Context& ctx, Window& caller) {
    ctx.forms.frmPrintProg.hide();
    caller.mousePointer = MousePointer::Default;
    try {
        ctx.platform.printer.abortDoc();
    } catch (const std::exception&) {
        // Nothing more can be done about a printer that cannot even drop its document.
    }
    ctx.platform.dialogs.msgBox("Print Aborted", kProgramTitle, platform::MsgIcon::None, platform::MsgButtons::Ok);
}

}  // namespace

float pageQuota(int printableHeight, int lineHeight) {
    if (lineHeight <= 0) return 1.0f;
    const auto quota =
        static_cast<float>(static_cast<double>(printableHeight) / static_cast<double>(lineHeight) - kSpareLines);
    return quota > 0.0f ? quota : 1.0f;
}

void printText(Context& ctx, Window& caller, TextBox& source, const std::string& title) {
    platform::Printer& printer = ctx.platform.printer;
    FrmPrintProg& progressWindow = ctx.forms.frmPrintProg;
    TextBox& progress = progressWindow.txtPrintPage;
    try {
        const std::optional<int> chosenCopies = ctx.platform.dialogs.choosePrintCopies();
        if (!chosenCopies) throw std::runtime_error("The print dialog was cancelled");
        const int copies = *chosenCopies > 0 ? *chosenCopies : 1;
        // The text as it is now: what arrives on the line meanwhile goes into the next printout.
        const std::string text = source.text();
        std::string lastPage;
        for (int copy = 1; copy <= copies; ++copy) {
            caller.mousePointer = MousePointer::Hourglass;
            printer.setFont(source.font);
            const std::vector<std::string> pages =
                pagesOf(text, pageQuota(printer.scaleHeight(), printer.textHeight(kLineSample)));
            progress.setText(progressText(lastPage, copy));
            progressWindow.show();
            progressWindow.caption = "Print " + title;
            progress.setText(progressText("1", copy));
            printCopy(printer, progress, pages, copy);
            lastPage = std::to_string(pages.empty() ? 1 : pages.size());
        }
    } catch (const std::exception&) {
        printAborted(ctx, caller);
        return;
    }
    caller.mousePointer = MousePointer::Default;
    progressWindow.hide();
}

}  // namespace kestrix
