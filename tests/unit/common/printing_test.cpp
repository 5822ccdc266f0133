#include "common/printing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/rig.h"

namespace kestrix {
namespace {

// The terminal window's "Print Terminal Session..." on the fake printer. Its line is 240 twips
// and its page 64 lines high: 60 lines to a page.
struct PrintRig : testing::Rig {
    platform::FakePrinter& printer = fakes.printer;
    FrmTerminal& terminal = forms.frmTerminal;
    FrmPrintProg& progress = forms.frmPrintProg;
    std::vector<std::string> progressSeen;  // the progress text at each page printed

    PrintRig() {
        dialogs.printCopies = 1;
        printer.onPrint = [this] {
            progressSeen.push_back(progress.txtPrintPage.text());
            EXPECT_TRUE(progress.visible);
            EXPECT_EQ(terminal.mousePointer, MousePointer::Hourglass);
        };
    }
    void print(const std::string& text) {
        terminal.txtTerminal.setText(text);
        terminal.mnuFilePrint.onClick();
    }
};

std::string numberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

int carriageReturns(const std::string& page) {
    int n = 0;
    for (char c : page) n += c == '\r';
    return n;
}

TEST(Printing, EachCopyIsAJobOfItsOwnAndTheProgressWindowFollowsPageAndCopy) {
    PrintRig rig;
    rig.dialogs.printCopies = 2;
    rig.terminal.txtTerminal.font = {"Courier New", 11.0f, true, false};
    rig.print(numberedLines(150));  // 60 + 60 + 30 lines

    ASSERT_EQ(rig.printer.jobs.size(), 2u);
    for (const auto& job : rig.printer.jobs) {
        ASSERT_EQ(job.size(), 3u);
        EXPECT_EQ(job[0].substr(0, 8), "line 1\r\n");
        EXPECT_EQ(job[0].substr(job[0].size() - 10), "line 60\r\r\n");  // the break follows the 60th CR
        EXPECT_EQ(job[1].substr(0, 9), "\nline 61\r");                  // and its LF opens the next page
        EXPECT_EQ(job[2].substr(0, 10), "\nline 121\r");
        EXPECT_EQ(carriageReturns(job[2]), 30 + 1);
    }
    EXPECT_EQ(rig.progressSeen, (std::vector<std::string>{"Now Printing Page 1 Copy 1", "Now Printing Page 2 Copy 1",
                                                          "Now Printing Page 3 Copy 1", "Now Printing Page 1 Copy 2",
                                                          "Now Printing Page 2 Copy 2", "Now Printing Page 3 Copy 2"}));
    EXPECT_EQ(rig.progress.caption, "Print Terminal Session");
    EXPECT_EQ(rig.printer.font, rig.terminal.txtTerminal.font);
    EXPECT_FALSE(rig.progress.visible);
    EXPECT_EQ(rig.terminal.mousePointer, MousePointer::Default);
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(Printing, APageBreaksWhenItsLinesReachTheQuotaWithItsFraction) {
    struct Case {
        int pageHeight;
        int lines;
        std::vector<int> carriageReturnsPerPage;
    };
    // A line is 1000 twips: 64000 gives a quota of 60.0 lines, 64300 one of 60.3.
    const Case cases[] = {
        {64000, 61, {60, 1}},
        {64300, 61, {61}},  // and the LF left after the 61st CR is no page of its own
        {64300, 62, {61, 1}},
        {64000, 60, {60}},  // a text ending on a full page leaves no blank page after it
    };
    for (const Case& c : cases) {
        PrintRig rig;
        rig.printer.lineHeight = 1000;
        rig.printer.pageHeight = c.pageHeight;
        rig.print(numberedLines(c.lines));
        ASSERT_EQ(rig.printer.jobs.size(), 1u);
        std::vector<int> counted;
        for (const std::string& page : rig.printer.jobs[0]) counted.push_back(carriageReturns(page) - 1);
        EXPECT_EQ(counted, c.carriageReturnsPerPage) << c.pageHeight << " twips, " << c.lines << " lines";
    }
}

TEST(Printing, ATextWithoutCarriageReturnIsOnePageHoweverLong) {
    PrintRig rig;
    const std::string text(20000, 'x');
    rig.print(text);
    ASSERT_EQ(rig.printer.jobs.size(), 1u);
    EXPECT_EQ(rig.printer.jobs[0], std::vector<std::string>{text + "\r\n"});
}

TEST(Printing, AnEmptyTextPrintsNothingButEndsOneJobPerCopy) {
    PrintRig rig;
    rig.dialogs.printCopies = 3;
    rig.print("");
    EXPECT_EQ(rig.printer.endDocs, 3);
    EXPECT_EQ(rig.printer.prints, 0);
    EXPECT_TRUE(rig.printer.jobs.empty());
    EXPECT_EQ(rig.progress.txtPrintPage.text(), "Now Printing Page 1 Copy 3");
    EXPECT_FALSE(rig.progress.visible);
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(Printing, ALineTallerThanAQuarterPagePrintsOneLinePerPage) {
    for (const int lineHeight : {5000, 0}) {
        PrintRig rig;
        rig.printer.lineHeight = lineHeight;
        rig.printer.pageHeight = 16000;  // 3.2 lines, less 4: a quota below zero
        rig.print("a\r\nb\r\nc");
        ASSERT_EQ(rig.printer.jobs.size(), 1u);
        EXPECT_EQ(rig.printer.jobs[0], (std::vector<std::string>{"a\r\r\n", "\nb\r\r\n", "\nc\r\n"}));
    }
    EXPECT_FLOAT_EQ(pageQuota(64300, 1000), 60.3f);
    EXPECT_FLOAT_EQ(pageQuota(3000, 1000), 1.0f);
}

TEST(Printing, CancelInThePrintDialogGivesOnePrintAbortedBoxAndLeavesNothingBehind) {
    PrintRig rig;
    rig.dialogs.printCopies.reset();
    rig.print(numberedLines(5));
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Print Aborted");
    EXPECT_EQ(rig.dialogs.messages[0].title, "Kestrix");
    EXPECT_EQ(rig.dialogs.messages[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(rig.printer.prints, 0);
    EXPECT_EQ(rig.printer.endDocs, 0);
    EXPECT_FALSE(rig.progress.visible);
    EXPECT_EQ(rig.terminal.mousePointer, MousePointer::Default);
}

TEST(Printing, APrinterFailingMidJobAbortsOnceAndTheNextPrintoutStartsClean) {
    PrintRig rig;
    rig.dialogs.printCopies = 2;
    rig.printer.failOnPrint = 2;  // the second page of the first copy
    rig.print(numberedLines(150));
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "Print Aborted");
    EXPECT_EQ(rig.printer.aborted, 1);
    EXPECT_TRUE(rig.printer.jobs.empty());
    EXPECT_FALSE(rig.progress.visible);
    EXPECT_EQ(rig.terminal.mousePointer, MousePointer::Default);

    rig.dialogs.printCopies = 1;
    rig.print(numberedLines(3));
    ASSERT_EQ(rig.printer.jobs.size(), 1u);
    EXPECT_EQ(rig.printer.jobs[0], std::vector<std::string>{"line 1\r\nline 2\r\nline 3\r\n\r\n"});
}

}  // namespace
}  // namespace kestrix
