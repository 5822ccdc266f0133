#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

constexpr char kEnter = 13;
constexpr const char* kIdentity = "Morvandelle,73408K,MDL-26-00417,R7.c";

struct ControlQuery : ::testing::Test {
    testing::Rig rig;
    FrmShowLog& window = rig.forms.frmShowLog;

    void type(const std::string& line) { window.cmbSendSCPI.text = line; }
    void clickSend() { window.cmdSendSCPI.onClick(); }
    void pressEnter() { window.cmbSendSCPI.onKeyPress(kEnter); }
    const std::string& log() const { return window.txtShowLog.text(); }
    const std::vector<std::string>& history() const { return window.cmbSendSCPI.items(); }

    // Brings the link up with the view polls stopped, so that every exchange is the window's.
    void connectQuietly() {
        rig.connect();
        rig.form1.disableUpdates.checked = true;
        window.txtShowLog.setText({});
    }

    // Sends the command line with Enter and lets the receiver answer it with `reply`.
    void exchange(const std::string& command, const std::string& reply) {
        type(command);
        pressEnter();
        rig.tick();  // written
        rig.port.receive(reply + "scpi > ");
        rig.tick();  // prompt matched
        rig.tick();  // handed over to the log
    }
};

TEST_F(ControlQuery, AnEmptyCommandLineDoesNothingEvenWithThePortClosed) {
    clickSend();
    pressEnter();
    EXPECT_EQ(log(), "");
    EXPECT_FALSE(rig.state.sendRequest);
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

TEST_F(ControlQuery, WithThePortClosedOnlyANoteIsLoggedOnANewLine) {
    type("*IDN?");
    clickSend();
    pressEnter();
    EXPECT_EQ(log(), "\r\nYou need to enable the port first\r\nYou need to enable the port first");
    EXPECT_TRUE(history().empty());
    EXPECT_FALSE(rig.state.sendRequest);
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_EQ(window.cmbSendSCPI.text, "*IDN?");
}

TEST_F(ControlQuery, QueuesTheCommandForTheSchedulerAndKeepsTheLine) {
    connectQuietly();
    type(":GPS:REF:ADEL?");
    clickSend();
    EXPECT_FALSE(window.cmdSendSCPI.enabled);
    EXPECT_TRUE(rig.state.sendRequest);
    EXPECT_EQ(rig.state.currentCommand, ":GPS:REF:ADEL?");
    EXPECT_EQ(rig.state.queryGroup, 0);
    EXPECT_EQ(log(), "\r\nSent: :GPS:REF:ADEL?");
    EXPECT_EQ(history(), std::vector<std::string>{":GPS:REF:ADEL?"});
    EXPECT_EQ(window.cmbSendSCPI.text, ":GPS:REF:ADEL?");
    EXPECT_TRUE(rig.port.written.empty());  // the scheduler writes it, not the window
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":GPS:REF:ADEL?\r\n");
}

TEST_F(ControlQuery, TheLogAfterIdnReadsSentThenReply) {
    connectQuietly();
    exchange("*IDN?", std::string(kIdentity) + "\r\n");
    EXPECT_EQ(log(), "\r\nSent: *IDN?\r\nreply: " + std::string(kIdentity) + "\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_EQ(window.txtShowLog.selStart(), log().size());  // scrolled to the newest entry
}

TEST_F(ControlQuery, TheSameCommandThreeTimesStaysThreeTimesInTheHistoryInOrder) {
    connectQuietly();
    exchange("*IDN?", "x\r\n");
    exchange(":PTIM:TIME?", "12:00:00\r\n");
    exchange("*IDN?", "x\r\n");
    exchange("*IDN?", "x\r\n");
    EXPECT_EQ(history(), (std::vector<std::string>{"*IDN?", ":PTIM:TIME?", "*IDN?", "*IDN?"}));
}

TEST_F(ControlQuery, ASecondSendIsRefusedWhileQueuedOrAwaitingItsReply) {
    connectQuietly();
    type("*IDN?");
    pressEnter();
    clickSend();  // still queued
    pressEnter();
    rig.tick();  // written; now awaiting the reply with the button disabled
    EXPECT_FALSE(rig.state.sendRequest);
    pressEnter();
    EXPECT_EQ(log(), "\r\nSent: *IDN?");
    EXPECT_EQ(history().size(), 1u);
    EXPECT_FALSE(rig.state.sendRequest);
    rig.port.receive("scpi > ");
    rig.ticks(2);
    EXPECT_EQ(log(), "\r\nSent: *IDN?\r\nreply: command complete");
    pressEnter();  // ready again
    EXPECT_TRUE(rig.state.sendRequest);
}

struct ControlQueryTerminal : ControlQuery {
    void SetUp() override {
        connectQuietly();
        rig.form1.funcStatus.checked = false;
        rig.form1.funcTermEmul.checked = true;
        rig.forms.frmTerminal.txtTerminal.setText("earlier text");
        rig.forms.frmTerminal.txtTerminal.setSelection(2, 3);
    }
};

TEST_F(ControlQueryTerminal, TheCommandGoesOutAtOnceAndIsEchoedButNotLogged) {
    rig.state.termIdleTicks = 5;
    type("*IDN?");
    pressEnter();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    EXPECT_EQ(rig.forms.frmTerminal.txtTerminal.text(), "earlier text*IDN?\r\n");
    EXPECT_EQ(rig.label(), "Sending...");
    EXPECT_EQ(rig.state.termIdleTicks, 0);
    EXPECT_TRUE(rig.state.termResponsePending);
    EXPECT_EQ(log(), "");
    EXPECT_TRUE(history().empty());
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_FALSE(rig.state.sendRequest);
}

TEST_F(ControlQueryTerminal, APortThatFailsOnWriteIsReportedInTheStatusLabel) {
    rig.port.setPortOpen(false);  // pulled out behind the program's back
    type("*IDN?");
    clickSend();
    EXPECT_EQ(rig.label(), "Port is not open");
    EXPECT_EQ(rig.forms.frmTerminal.txtTerminal.text(), "earlier text");
}

TEST_F(ControlQuery, ClearCmdClearsTheLineAndItsHelpButNotTheHistory) {
    rig.connect();
    type("*IDN?");
    clickSend();
    window.lblSend.caption = "Queries the identity";
    window.cmdClearEntry.onClick();
    EXPECT_EQ(window.cmbSendSCPI.text, "");
    EXPECT_EQ(window.lblSend.caption, "");
    EXPECT_TRUE(window.cmbSendSCPI.focusRequested);
    EXPECT_EQ(history().size(), 1u);

    window.lblSend.caption = "help";
    window.cmbSendSCPI.onClick();  // a line chosen from the history
    EXPECT_EQ(window.lblSend.caption, "");
}

TEST_F(ControlQuery, TheLogIsCopiedWholeAndCleared) {
    rig.connect();
    window.txtShowLog.setText("\r\nSent: *IDN?\r\nreply: x");
    window.mnuEditItem.onClick();
    EXPECT_EQ(rig.clipboard.contents, "\r\nSent: *IDN?\r\nreply: x");
    window.cmdClearInfo.onClick();
    EXPECT_EQ(log(), "");
}

TEST_F(ControlQuery, ClosingHidesTheWindowAndTheFunctionMenuShowsItAgain) {
    rig.app->start();
    ASSERT_TRUE(window.visible);
    EXPECT_EQ(window.geometry.height, 3000);
    bool cancel = false;
    window.onCloseRequest(cancel);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(window.visible);

    const auto& function = rig.form1.mnuFunction.items;
    ASSERT_GE(function.size(), 4u);
    EXPECT_EQ(function.end()[-4], &rig.form1.demoMode);
    EXPECT_TRUE(function.end()[-3]->isSeparator);
    EXPECT_EQ(function.end()[-2], &rig.form1.funcControlQuery);
    EXPECT_EQ(function.back(), &rig.form1.funcTrend);  // the trend window's entry follows
    rig.form1.funcControlQuery.onClick();
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(window.raiseRequested);
}

}  // namespace
}  // namespace kestrix
