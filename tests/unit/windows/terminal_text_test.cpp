#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

// The program writes into the terminal from three places: text received in the terminal view, a
// link time-out, a command sent from Control & Query. The user has selected "rli" in the text
// before each; what each writes must land where it always has, with the caret at the end after.
struct TerminalText : ::testing::Test {
    testing::Rig rig;
    TextBox& box = rig.forms.frmTerminal.txtTerminal;

    void userSelectsInEarlierText() {
        box.setText("earlier text");
        box.setSelection(2, 3);
    }
    void expectTextAndCaretAtEnd(const std::string& text) {
        EXPECT_EQ(box.text(), text);
        EXPECT_EQ(box.selStart(), text.size());
        EXPECT_EQ(box.selLength(), 0u);
    }
};

TEST_F(TerminalText, ReceivedTextFollowsTheSelectionWhichStays) {
    rig.connect();
    rig.form1.funcTermEmul.onClick();
    rig.tick();
    box.onKeyPress('\r');  // the terminal is ready for what arrives
    rig.port.takeWritten();
    userSelectsInEarlierText();
    rig.port.receive("scpi > ");
    rig.ticks(4);
    expectTextAndCaretAtEnd("earliscpi > er text");
}

TEST_F(TerminalText, ATimeOutLineFollowsTheSelectionWhichStays) {
    rig.clock.date = {2026, 12, 7, 0, 0, 0};
    rig.openPort();
    userSelectsInEarlierText();
    rig.clock.seconds = 13 * 3600 + 5 * 60 + 22;
    rig.tick();  // the first probe times out at once: it waited since midnight
    rig.tick();
    expectTextAndCaretAtEnd("earliTime Out 1 at delay  0 attempt  0 13:05:22 12-07-2026\r\ner text");
}

TEST_F(TerminalText, ACommandFromControlAndQueryGoesAfterAllTheText) {
    rig.connect();
    rig.form1.funcTermEmul.onClick();
    userSelectsInEarlierText();
    FrmShowLog& window = rig.forms.frmShowLog;
    window.cmbSendSCPI.text = "*IDN?";
    window.cmdSendSCPI.onClick();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    expectTextAndCaretAtEnd("earlier text*IDN?\r\n");
}

}  // namespace
}  // namespace kestrix
