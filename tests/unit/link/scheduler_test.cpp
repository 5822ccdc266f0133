#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

TEST(Scheduler, NothingHappensWhileThePortIsClosed) {
    Rig rig;
    rig.form1.Label1.caption = "To start";
    rig.ticks(3);
    EXPECT_EQ(rig.label(), "To start");  // no connection has been started yet
    EXPECT_TRUE(rig.port.written.empty());
}

TEST(Scheduler, ClosedPortShowsPortNotOpenOnceAConnectionWasStarted) {
    Rig rig;
    rig.connect();
    rig.openPort();  // closes it
    rig.tick();
    EXPECT_EQ(rig.label(), "Port not open");
    EXPECT_TRUE(rig.port.written.empty());
}

TEST(Scheduler, PollsTheStatusScreenAndShowsIt) {
    Rig rig;
    rig.connect();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
    EXPECT_EQ(rig.label(), "requesting status");
    EXPECT_EQ(rig.vars.timeoutSeconds, 6);
    rig.port.receive("line 1\r\nline 2\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "received status");
    EXPECT_EQ(rig.form1.Term.text(), "line 1\r\nline 2\r\n");
}

TEST(Scheduler, AReplyCompletedInATickIsNotFollowedByACommandInTheSameTick) {
    Rig rig;
    rig.connect();
    rig.tick();
    rig.port.takeWritten();
    rig.port.receive("screen\r\nscpi > ");
    rig.tick();
    EXPECT_TRUE(rig.port.written.empty());
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
}

TEST(Scheduler, ControlAndQueryCommandsGoBeforePolls) {
    Rig rig;
    rig.connect();
    rig.sendCommand("*IDN?");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    EXPECT_FALSE(rig.state.sendRequest);
    EXPECT_EQ(rig.label(), "sending: *IDN?");
    EXPECT_EQ(rig.vars.timeoutSeconds, 13);
    rig.port.receive("Morvandelle,73408K,1,R7.c\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Received response");
    EXPECT_TRUE(rig.vars.replyReady);
    rig.tick();  // the reply goes to the log, then the next poll
    EXPECT_EQ(rig.log(), "\r\nSent: *IDN?\r\nreply: Morvandelle,73408K,1,R7.c\r\n");
    EXPECT_TRUE(rig.forms.frmShowLog.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
}

TEST(Scheduler, DisabledUpdatesShowIdleButStillServeCommands) {
    Rig rig;
    rig.connect();
    rig.form1.disableUpdates.checked = true;
    rig.ticks(3);
    EXPECT_EQ(rig.label(), "Idle");
    EXPECT_TRUE(rig.port.written.empty());
    rig.sendCommand(":PTIM:TIME?");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":PTIM:TIME?\r\n");
}

TEST(Scheduler, ClockAndCustomViewsPollTheirOwnCommands) {
    Rig rig;
    rig.connect();
    rig.form1.funcStatus.checked = false;
    rig.form1.funcClock.checked = true;
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":ptim:str?\r\n");
    EXPECT_EQ(rig.label(), "requesting clock");
    EXPECT_EQ(rig.vars.timeoutSeconds, 3);
    rig.port.receive("\"13:05:22\"\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "received clock");
    EXPECT_EQ(rig.forms.frmClock.lblClock.caption, "13:05:22");

    rig.form1.funcClock.checked = false;
    rig.form1.FuncCustUpdate.checked = true;
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "ptim:tcod?\r\n");
    EXPECT_EQ(rig.vars.timeoutSeconds, 13);
}

TEST(Scheduler, AShortClockReplyLeavesTheClockEmpty) {
    Rig rig;
    rig.connect();
    rig.form1.funcStatus.checked = false;
    rig.form1.funcClock.checked = true;
    rig.tick();
    rig.port.receive("x\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.forms.frmClock.lblClock.caption, "");
}

TEST(Scheduler, TheTerminalViewWaitsForTheLinkToBeIdle) {
    Rig rig;
    rig.connect();
    rig.tick();  // a status poll is outstanding
    rig.form1.funcStatus.checked = false;
    rig.form1.funcTermEmul.checked = true;
    rig.tick();
    EXPECT_EQ(rig.label(), "Switch to Terminal Emulation Pending...");
    rig.port.receive("screen\r\nscpi > ");
    rig.tick();
    rig.tick();
    EXPECT_EQ(rig.label(), "Terminal Emulation Mode Ready");
}

}  // namespace
}  // namespace kestrix
