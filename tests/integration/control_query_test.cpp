#include <gtest/gtest.h>

#include "support/sim_program.h"

namespace kestrix {
namespace {

constexpr char kEnter = 13;

struct ControlQueryOnTheLine : ::testing::Test {
    testing::SimProgram program;
    FrmShowLog& window = program.app.forms.frmShowLog;

    void SetUp() override {
        ASSERT_TRUE(program.connect()) << program.label();
        window.txtShowLog.setText({});
    }

    const std::string& log() const { return window.txtShowLog.text(); }

    // Types the command line, presses Enter and runs until its reply is in the log.
    bool send(const std::string& command) {
        window.cmbSendSCPI.text = command;
        window.cmbSendSCPI.onKeyPress(kEnter);
        if (!program.state().sendRequest) return false;
        return program.runUntil([&] { return window.cmdSendSCPI.enabled; });
    }
};

TEST_F(ControlQueryOnTheLine, ACommandGetsItsReply) {
    ASSERT_TRUE(send("*IDN?"));
    EXPECT_EQ(log(), "\r\nSent: *IDN?\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n");
}

TEST_F(ControlQueryOnTheLine, ACommandWithoutAReplyIsComplete) {
    ASSERT_TRUE(send("*CLS"));
    EXPECT_EQ(log(), "\r\nSent: *CLS\r\nreply: command complete");
}

TEST_F(ControlQueryOnTheLine, AnUnknownCommandGetsTheReceiversErrorText) {
    ASSERT_TRUE(send(":NOSUCH:THING?"));
    EXPECT_EQ(log(), "\r\nSent: :NOSUCH:THING?\r\nreply: -113,\"Undefined header\"\r\n");
    ASSERT_TRUE(send("*IDN?"));  // the error queue was read empty: the next command is plain
    EXPECT_TRUE(log().ends_with("\r\nSent: *IDN?\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n"));
}

TEST_F(ControlQueryOnTheLine, ASilentReceiverTimesOutAndTheLinkComesBack) {
    sim::SimOptions options = program.receiver.options();
    options.silentLines = 3;  // the command and the first probe after the time-out are lost
    program.receiver.setOptions(options);

    window.cmbSendSCPI.text = "*IDN?";
    window.cmbSendSCPI.onKeyPress(kEnter);
    const std::size_t linesBefore = program.receiver.linesReceived();
    ASSERT_TRUE(program.runUntil([&] { return program.receiver.linesReceived() > linesBefore; }));
    program.clock.advance(14);
    ASSERT_TRUE(program.runUntil([&] { return window.cmdSendSCPI.enabled; }));
    EXPECT_EQ(log(), "\r\nSent: *IDN?\r\nreply: No response from unit");
    EXPECT_EQ(window.caption, "Control & Query");
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix");

    ASSERT_TRUE(program.bringLinkUp()) << program.label();
    EXPECT_EQ(window.caption, "Control & Query (connected to 73408K @Com1)");
    ASSERT_TRUE(send("*IDN?"));
    EXPECT_TRUE(log().ends_with("\r\nSent: *IDN?\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n"));
}

}  // namespace
}  // namespace kestrix
