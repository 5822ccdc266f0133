#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

TEST(PortOpen, OpensAndClosesWithTheCheckMarkFollowing) {
    Rig rig;
    rig.openPort();
    EXPECT_TRUE(rig.port.portOpen());
    EXPECT_TRUE(rig.state.portIsOpen);
    EXPECT_TRUE(rig.form1.MOpen.checked);
    rig.openPort();
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_FALSE(rig.state.portIsOpen);
    EXPECT_FALSE(rig.form1.MOpen.checked);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix");
}

TEST(PortOpen, AFailureIsShownWithTheSystemsDescription) {
    Rig rig;
    rig.port.failOpen = "/dev/ttyS0: Device or resource busy";
    rig.openPort();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, "/dev/ttyS0: Device or resource busy");
    EXPECT_EQ(rig.dialogs.messages[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_FALSE(rig.form1.MOpen.checked);
    EXPECT_FALSE(rig.state.portIsOpen);
}

TEST(PortOpen, ClosingWhileAwaitingAReplyAbandonsItAndReopeningProbesTheLink) {
    Rig rig;
    rig.connect();
    rig.tick();  // poll outstanding
    rig.openPort();
    rig.clock.advance(60);
    rig.openPort();
    rig.port.takeWritten();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");
    EXPECT_EQ(rig.label(), "Trying to establish communication...");
    rig.port.receive("screen\r\nscpi > ");  // the late reply answers the probe
    rig.tick();
    EXPECT_EQ(rig.label(), "Communication re-established...");
    EXPECT_EQ(rig.form1.Term.text(), "");
}

TEST(PortOpen, ReopeningAnIdleLinkRunsTheConnectionSequenceAtOnce) {
    Rig rig;
    rig.connect();
    rig.openPort();
    rig.openPort();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:comm:ser:fdup?\r\n");
    EXPECT_EQ(rig.label(), "Checking echo...");
}

TEST(MainCommands, CopyPutsTheStatusTextOnTheClipboard) {
    Rig rig;
    rig.form1.Term.setText("status");
    rig.form1.mnuEditItem.onClick();
    EXPECT_EQ(rig.clipboard.contents, "status");
}

TEST(MainCommands, HelpOpensTheHelpFileAtItsKeyword) {
    Rig rig;
    rig.form1.helpMenuItem.onClick();
    ASSERT_EQ(rig.help.opened.size(), 1u);
    EXPECT_EQ(rig.help.opened[0], "kestrix.html#Kestrix Help");
}

TEST(SerialEvents, EventsShowTheirTextAndErrorsAlsoBeep) {
    Rig rig;
    const struct {
        int code;
        const char* text;
        int beeps;
    } cases[] = {{1001, "Break Received", 0},       {1004, "Framing Error", 0},
                 {1009, "Parity Error", 0},         {1002, "CTS Timeout", 1},
                 {1006, "Overrun Error", 1},        {1008, "Receive Buffer Overflow", 1},
                 {1010, "Transmit Buffer Full", 1}, {4242, "Unknown error or event", 1}};
    for (const auto& c : cases) {
        rig.beeper.beeps = 0;
        rig.port.raiseEvent(c.code);
        EXPECT_EQ(rig.label(), c.text);
        EXPECT_EQ(rig.beeper.beeps, c.beeps) << c.text;
    }
    rig.form1.Label1.caption = "unchanged";
    rig.port.raiseEvent(2);  // ordinary receive event
    EXPECT_EQ(rig.label(), "unchanged");
}

}  // namespace
}  // namespace kestrix
