// Old data and alarms as the main window shows them: the screen dimmed with its age in a corner,
// the alarm line highlighted, the alarm mark in the band.

#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "../unit/support/rig.h"
#include "gui_test_support.h"

namespace kestrix::gui_test {
namespace {

const std::string kAlarmLine = "HEALTH MONITOR ...................................................... [ ALARM ]";

class ShownDataRender : public ::testing::Test, private WithApplication {
protected:
    testing::Rig rig;
    app::Renderer renderer{rig.forms.all(), platform::qt::Twips(96, 96)};
    QPlainTextEdit* term = nullptr;

    void SetUp() override {
        rig.form1.show();
        renderer.render();
        rig.connect();  // at 12:00:05
        term = widgetOf<QPlainTextEdit>(renderer, rig.form1, rig.form1.Term);
        ASSERT_NE(term, nullptr);
    }
    // The status screen polled and answered with `screen`, then drawn.
    void answer(const std::string& screen) {
        rig.tick();
        rig.port.takeWritten();
        rig.port.receive(screen + "\r\nscpi > ");
        rig.tick();
        renderer.render();
    }
};

TEST_F(ShownDataRender, OldDataIsDimmedWithItsAgeBesideItUntilTheNextReply) {
    answer("Locked to GPS");
    const QColor normalText = term->palette().color(QPalette::Text);
    rig.clock.advance(7);
    rig.form1.ageTimer.fire();
    renderer.render();
    const QLabel* note = term->findChild<QLabel*>("TermStaleNote");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisibleTo(term));
    EXPECT_EQ(note->text(), "Last updated 12:00:05, 7 s ago");
    EXPECT_EQ(term->accessibleDescription(), note->text());
    EXPECT_NE(term->palette().color(QPalette::Text), normalText);
    EXPECT_GT(note->x(), term->width() / 2);  // in the top right corner
    EXPECT_LT(note->y(), 10);
    EXPECT_EQ(term->toPlainText(), "Locked to GPS\n");

    answer("Locked to GPS");
    EXPECT_FALSE(note->isVisibleTo(term));
    EXPECT_EQ(term->palette().color(QPalette::Text), normalText);
    EXPECT_EQ(term->accessibleDescription(), "");
}

TEST_F(ShownDataRender, TheAlarmLineIsHighlightedAndTheMarkShownWhileTheScreenReportsAnAlarm) {
    const QLabel* mark = widgetOf<QLabel>(renderer, rig.form1, rig.form1.alarmMark);
    ASSERT_NE(mark, nullptr);
    EXPECT_TRUE(mark->isHidden());

    answer("SYNCHRONIZATION ... [ Outputs Valid ]\r\n" + kAlarmLine);
    EXPECT_FALSE(mark->isHidden());
    EXPECT_EQ(mark->text(), "ALARM");
    EXPECT_TRUE(mark->autoFillBackground());
    EXPECT_EQ(mark->palette().color(QPalette::Window), QColor(0xc6, 0x28, 0x28));
    EXPECT_LE(mark->geometry().right(), renderer.viewOf(rig.form1)->canvas().width());  // in the band
    EXPECT_LT(mark->geometry().bottom(), term->geometry().top() + 2);
    const QList<QTextEdit::ExtraSelection> highlighted = term->extraSelections();
    ASSERT_EQ(highlighted.size(), 1);
    EXPECT_EQ(highlighted[0].cursor.selectedText(), latin1(kAlarmLine));
    EXPECT_EQ(term->toPlainText(), latin1("SYNCHRONIZATION ... [ Outputs Valid ]\n" + kAlarmLine + "\n"));

    answer("HEALTH MONITOR ... [ OK ]");
    EXPECT_TRUE(mark->isHidden());
    EXPECT_TRUE(term->extraSelections().isEmpty());
}

}  // namespace
}  // namespace kestrix::gui_test
