#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

constexpr char kBackspace = 8;

struct TerminalRig : testing::Rig {
    FrmTerminal& terminal = forms.frmTerminal;
    TextBox& box = forms.frmTerminal.txtTerminal;

    TerminalRig() {
        connect();
        form1.funcTermEmul.onClick();
        box.setText("");  // the time-out that ended the connection's quiet wait
    }

    // Each key goes to the handler first, then the box inserts it at the caret as the widget does.
    void type(const std::string& keys) {
        for (char key : keys) {
            box.onKeyPress(key);
            if (key == kBackspace) {
                std::string text = box.text();
                const std::size_t caret = box.selStart();
                if (caret > 0) text.erase(caret - 1, 1);
                box.userEdited(text, caret > 0 ? caret - 1 : 0, 0);
            } else {
                box.replaceSelection(key == '\r' ? std::string("\r\n") : std::string(1, key));
            }
        }
    }
};

TEST(TerminalWindow, EnterSendsTheTypedLineOnceAndTheAnswerIsShownInABurst) {
    TerminalRig rig;
    rig.tick();  // terminal mode entered
    rig.type("*idn?");
    EXPECT_EQ(rig.label(), "In Kestrix Terminal Mode");
    EXPECT_EQ(rig.port.written, "");
    rig.type("\r");
    EXPECT_EQ(rig.label(), "Sending...");
    EXPECT_EQ(rig.port.writes, std::vector<std::string>{"*idn?\r\n"});
    EXPECT_TRUE(rig.state.termResponsePending);
    EXPECT_EQ(rig.state.termLineBuffer, "");

    rig.port.receive("*idn?\r\nMorvandelle,73408K,1,R7.c\r\n");
    rig.tick();
    rig.port.receive("scpi > ");
    rig.tick();
    EXPECT_EQ(rig.box.text(), "*idn?\r\n");  // shown only once input pauses
    rig.ticks(2);
    EXPECT_EQ(rig.box.text(), "*idn?\r\n*idn?\r\nMorvandelle,73408K,1,R7.c\r\nscpi > ");
    EXPECT_EQ(rig.label(), "In Kestrix Terminal Mode");
    EXPECT_EQ(rig.port.writes.size(), 1u);
}

TEST(TerminalWindow, BackspaceIsSentInsideTheLine) {
    TerminalRig rig;
    rig.type("*idx\bn?\r");
    EXPECT_EQ(rig.port.written, "*idx\bn?\r\n");
    EXPECT_EQ(rig.box.text(), "*idn?\r\n");
}

TEST(TerminalWindow, PastedTextFollowsTypedTextAndIsSentWithTheNextEnter) {
    TerminalRig rig;
    rig.type(":ptim");
    rig.clipboard.contents = ":str?";
    rig.box.setSelection(0, 2);
    rig.terminal.mnuEditPaste.onClick();
    EXPECT_EQ(rig.box.text(), ":ptim:str?");
    EXPECT_EQ(rig.box.selStart(), rig.box.text().size());
    EXPECT_EQ(rig.port.written, "");
    rig.type("\r");
    EXPECT_EQ(rig.port.written, ":ptim:str?\r\n");
}

TEST(TerminalWindow, ClearBufferEmptiesTheScreenButKeepsAHalfTypedLine) {
    TerminalRig rig;
    rig.type("syst:");
    rig.terminal.mnuEditClear.onClick();
    EXPECT_EQ(rig.box.text(), "");
    rig.type("err?\r");
    EXPECT_EQ(rig.port.written, "syst:err?\r\n");
}

TEST(TerminalWindow, TypingMovesTheCaretToTheEndFirst) {
    TerminalRig rig;
    rig.box.setText("earlier traffic\r\n");
    rig.box.setSelection(3, 4);
    rig.type("a");
    EXPECT_EQ(rig.box.text(), "earlier traffic\r\na");
}

TEST(TerminalWindow, TypingInAnotherViewSwitchesToTheTerminalAndDropsWhatWasCollected) {
    TerminalRig rig;
    rig.type("abc");
    rig.form1.funcClock.onClick();
    rig.forms.frmClock.lblClock.caption = "12:00:00";
    rig.form1.Term.setText("status");
    rig.form1.CustomCommand.enabled = true;
    rig.type("x");
    EXPECT_TRUE(rig.form1.funcTermEmul.checked);
    EXPECT_FALSE(rig.form1.funcClock.checked || rig.form1.funcStatus.checked || rig.form1.FuncCustUpdate.checked);
    EXPECT_FALSE(rig.form1.CustomCommand.enabled);
    EXPECT_EQ(rig.form1.Term.text(), "");
    EXPECT_EQ(rig.forms.frmClock.lblClock.caption, "");
    EXPECT_TRUE(rig.forms.frmClock.visible);  // windows are not shown or hidden by a key
    EXPECT_EQ(rig.state.termLineBuffer, "x");
    EXPECT_TRUE(rig.state.termReady);
}

// A line typed while the status poll is still being answered goes out at once; its answer, read
// together with the poll's prompt, is shown in the terminal, not dropped with the poll's reply.
TEST(TerminalWindow, ALineTypedWhileAPollIsAnsweredKeepsItsWholeAnswer) {
    TerminalRig rig;
    rig.form1.funcStatus.onClick();
    rig.tick();  // the status poll goes out
    rig.port.takeWritten();
    rig.type("*idn?\r");
    EXPECT_EQ(rig.port.takeWritten(), "*idn?\r\n");
    rig.port.receive("screen\r\nscpi > Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.tick();    // the poll's prompt ends its exchange
    rig.ticks(3);  // terminal mode: the rest is shown once input pauses
    EXPECT_TRUE(rig.form1.funcTermEmul.checked);
    EXPECT_EQ(rig.box.text(), "*idn?\r\nMorvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
}

TEST(TerminalWindow, WithThePortClosedKeysAreNeitherCollectedNorSent) {
    TerminalRig rig;
    rig.openPort();  // closes it
    rig.type("ab\r");
    EXPECT_EQ(rig.label(), "Port not open");
    EXPECT_EQ(rig.state.termLineBuffer, "");
    EXPECT_EQ(rig.port.written, "");
    EXPECT_EQ(rig.box.text(), "ab\r\n");  // the box still echoes them
}

TEST(TerminalWindow, APortThatFailsOnSendingIsReportedNotFatal) {
    TerminalRig rig;
    rig.port.setPortOpen(false);  // pulled out; the program still thinks it open
    rig.type("x\r");
    EXPECT_EQ(rig.label(), "Port is not open");
    EXPECT_EQ(rig.state.termLineBuffer, "");
}

TEST(TerminalWindow, CopyAndSelectAll) {
    TerminalRig rig;
    rig.box.setText("line one\r\nline two");
    rig.box.setSelection(5, 3);
    rig.terminal.mnuEditCopy.onClick();
    EXPECT_EQ(rig.clipboard.contents, "one");
    rig.terminal.mnuEditSelect.onClick();
    EXPECT_EQ(rig.box.selStart(), 0u);
    EXPECT_EQ(rig.box.selLength(), rig.box.text().size());
}

TEST(TerminalWindow, TerminalFontTakesTheChosenFontAtAUsableSize) {
    TerminalRig rig;
    const FontSpec before = rig.box.font;
    rig.terminal.mnuTermFont.onClick();  // cancelled
    EXPECT_EQ(rig.box.font, before);
    ASSERT_EQ(rig.dialogs.fontsOffered.size(), 1u);
    EXPECT_EQ(rig.dialogs.fontsOffered[0], before);

    rig.dialogs.fontAnswer = FontSpec{"Lucida Console", 5000.0f, true, true};
    rig.terminal.mnuTermFont.onClick();
    EXPECT_EQ(rig.box.font, (FontSpec{"Lucida Console", rig.measurer.maxSize, true, true}));
}

TEST(TerminalWindow, ResizeFillsTheInnerAreaWithTheTextBox) {
    TerminalRig rig;
    rig.terminal.frameWidth = 120;
    rig.terminal.frameHeight = 800;
    rig.terminal.geometry = {500, 500, 9000, 7000};
    rig.terminal.onResize();
    EXPECT_EQ(rig.box.geometry, (Rect{0, 0, 8880, 6200}));
}

TEST(TerminalWindow, TheTextKeepsTheNewestTrafficWithinItsLimit) {
    TerminalRig rig;
    rig.tick();
    for (int burst = 0; burst < 40; ++burst) {
        std::string lines;
        for (int line = 0; line < 20; ++line) lines += "burst " + std::to_string(burst) + std::string(50, '.') + "\r\n";
        rig.port.receive(lines);
        rig.ticks(3);
    }
    const std::string& text = rig.box.text();
    EXPECT_LE(text.size(), 30000u);
    EXPECT_GT(text.size(), 20000u);
    EXPECT_EQ(text.substr(text.size() - 60), "burst 39" + std::string(50, '.') + "\r\n");
    EXPECT_EQ(text.substr(0, 6), "burst ");  // cut at a line start
    EXPECT_EQ(rig.box.selStart(), text.size());

    rig.clipboard.contents = std::string(40000, 'p');  // more than the box holds
    rig.terminal.mnuEditPaste.onClick();
    EXPECT_EQ(rig.box.text(), std::string(30000 - 7500, 'p'));
    EXPECT_EQ(rig.state.termLineBuffer.size(), 40000u);
}

}  // namespace
}  // namespace kestrix
