#include "shared/controls.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(TextBox, AppendsWithoutReplacingAndReplacesSelection) {
    TextBox box{"box"};
    box.setText("abc");
    const auto replaced = box.replaceRevision();
    box.append("def");
    EXPECT_EQ(box.text(), "abcdef");
    EXPECT_EQ(box.replaceRevision(), replaced);  // an append is not a replacement
    box.setSelection(1, 2);
    box.replaceSelection("XY");
    EXPECT_EQ(box.text(), "aXYdef");
    EXPECT_EQ(box.selStart(), 3u);
    EXPECT_GT(box.replaceRevision(), replaced);
}

TEST(TextBox, SelectionIsClampedToTheText) {
    TextBox box{"box"};
    box.setText("abc");
    box.setSelection(10, 5);
    EXPECT_EQ(box.selStart(), 3u);
    EXPECT_EQ(box.selLength(), 0u);
}

TEST(TextBox, WithoutTheOptionALimitDropsNothing) {
    TextBox box{"box"};
    box.maxLength = 10;
    box.append(std::string(20, 'a'));
    EXPECT_EQ(box.text().size(), 20u);
}

TEST(TextBox, PastItsLimitTheOldestLinesGoAndTheNewestTextStays) {
    TextBox box{"box"};
    box.maxLength = 40;
    box.dropsOldestText = true;
    box.setText("line 1\r\nline 2\r\nline 3\r\nline 4\r\n");  // 32 characters
    box.setSelection(24, 3);                                  // "lin" of line 4
    const auto replaced = box.replaceRevision();
    box.append("line 5\r\nline 6\r\n");
    EXPECT_EQ(box.text(), "line 3\r\nline 4\r\nline 5\r\nline 6\r\n");  // cut at a line start
    EXPECT_EQ(box.selectedText(), "lin");                               // the selection moved with its text
    EXPECT_GT(box.replaceRevision(), replaced);                         // the renderer redraws the box

    box.setSelection(0, 12);  // partly in text about to go
    box.replaceSelection("");
    box.moveCaretToEnd();
    box.replaceSelection(std::string(45, 'x'));  // no line end near the cut
    EXPECT_EQ(box.text(), std::string(30, 'x'));
    EXPECT_EQ(box.selStart(), 30u);
}

TEST(TextBox, WhatTheUserTypesPastTheLimitIsCutAndRedrawn) {
    TextBox box{"box"};
    box.maxLength = 8;
    box.dropsOldestText = true;
    const auto revision = box.revision();
    box.userEdited("abcdefgh", 8, 0);
    EXPECT_EQ(box.revision(), revision);  // within the limit: no echo back to the widget
    box.userEdited("abcdefghi", 9, 0);
    EXPECT_EQ(box.text(), "defghi");
    EXPECT_EQ(box.selStart(), 6u);
    EXPECT_GT(box.revision(), revision);
}

TEST(Timer, ATickNeverRunsInsideAnotherTickOfTheSameTimer) {
    Timer timer;
    timer.enabled = true;
    int ticks = 0;
    bool nestedRan = true;
    timer.onTick = [&] {
        ++ticks;
        nestedRan = timer.fire();  // as a modal dialog's event loop would
    };
    EXPECT_TRUE(timer.fire());
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(nestedRan);
    timer.enabled = false;
    EXPECT_FALSE(timer.fire());
}

}  // namespace
}  // namespace kestrix
