// The text caret: blinking while the user works, resting after a spell without keys or clicks.

#include "app/caret_rest.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

class CaretRestTest : public ::testing::Test, private WithApplication {
protected:
    void SetUp() override { QApplication::setCursorFlashTime(1000); }
};

TEST_F(CaretRestTest, TheCaretRestsAfterASpellWithoutTheUserAndBlinksAgainAtAKey) {
    QLineEdit line;
    {
        app::CaretRest rest(30);
        ASSERT_TRUE(serveEventsUntil([&] { return rest.resting(); }));
        EXPECT_EQ(QApplication::cursorFlashTime(), 0);

        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QApplication::sendEvent(&line, &key);
        EXPECT_FALSE(rest.resting());
        EXPECT_EQ(QApplication::cursorFlashTime(), 1000);

        QApplication::setCursorFlashTime(800);                          // the desktop's blink changed meanwhile
        ASSERT_TRUE(serveEventsUntil([&] { return rest.resting(); }));  // and rests again
        EXPECT_EQ(QApplication::cursorFlashTime(), 0);
    }
    EXPECT_EQ(QApplication::cursorFlashTime(), 800);  // given back, as it last stood, when the program ends
}

TEST_F(CaretRestTest, ACaretThatNeverBlinksIsLeftAlone) {
    QApplication::setCursorFlashTime(0);
    app::CaretRest rest(1);
    serveEventsUntil([] { return false; }, std::chrono::milliseconds(30));
    EXPECT_FALSE(rest.resting());
    EXPECT_EQ(QApplication::cursorFlashTime(), 0);
}

}  // namespace
}  // namespace kestrix::gui_test
