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
    EXPECT_EQ(box.replaceRevision(), replaced);   // an append is not a replacement
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

TEST(Timer, ATickNeverRunsInsideAnotherTickOfTheSameTimer) {
    Timer timer;
    timer.enabled = true;
    int ticks = 0;
    bool nestedRan = true;
    timer.onTick = [&] {
        ++ticks;
        nestedRan = timer.fire();   // as a modal dialog's event loop would
    };
    EXPECT_TRUE(timer.fire());
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(nestedRan);
    timer.enabled = false;
    EXPECT_FALSE(timer.fire());
}

}  // namespace
}  // namespace kestrix
