// When Timer1 asks for its next tick: the platform runs ticks only when they can do something.

#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

// Plays the platform for `seconds` of the fake clock: a tick runs when its demand falls due and
// not otherwise; nothing arrives meanwhile. Returns the ticks run.
int runUntilQuiet(Rig& rig, double seconds) {
    int ticks = 0;
    double left = seconds;
    TickDemand demand = rig.form1.Timer1.demand();
    while (demand.dueInMs && left > 0) {
        const double wait = *demand.dueInMs / 1000.0;
        if (wait > left) break;
        rig.clock.advance(wait);
        left -= wait;
        rig.tick();
        ++ticks;
        demand = rig.form1.Timer1.demand();
    }
    rig.clock.advance(left);
    return ticks;
}

TEST(TickPacing, AfterAPollIsSentTheWaitForItsReplyDoesNotSpin) {
    Rig rig;
    rig.connect();
    rig.tick();  // the status poll goes out
    ASSERT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
    // The tick that wrote did work, yet all it left is a reply to wait for: no tick until the
    // time-out, more than 6 whole seconds of silence, or input.
    TickDemand demand = rig.form1.Timer1.demand();
    EXPECT_TRUE(demand.didWork);
    ASSERT_TRUE(demand.dueInMs);
    EXPECT_NEAR(*demand.dueInMs, 6500, 2);

    const auto idleBefore = rig.link.idleTicks();
    EXPECT_EQ(runUntilQuiet(rig, 5.0), 0);
    EXPECT_EQ(rig.link.idleTicks(), idleBefore);
    EXPECT_EQ(rig.label(), "requesting status");
}

TEST(TickPacing, ASilentReceiverTimesOutOnTheFirstTickAfterTheTimeOut) {
    Rig rig;
    rig.connect();
    rig.tick();
    rig.tick();
    rig.form1.Timer1.demand();
    const int timeOuts = rig.vars.timeoutCount;
    const int ticks = runUntilQuiet(rig, 6.6);
    EXPECT_EQ(rig.vars.timeoutCount, timeOuts + 1);
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n\r\n");  // then the link is probed
    EXPECT_EQ(rig.label(), "Trying to establish communication...");
    // The tick that times out, the probe it leads to, and the first wait for the probe's answer.
    EXPECT_LE(ticks, 3);
    EXPECT_LE(rig.link.idleTicks(), 2u);
}

TEST(TickPacing, ASequenceGoesOnAtOnceAndTheNextPollFollowsTheReply) {
    Rig rig;
    rig.connect();
    rig.tick();
    rig.port.takeWritten();
    rig.port.receive("screen\r\nscpi > ");
    rig.tick();
    TickDemand demand = rig.form1.Timer1.demand();
    EXPECT_TRUE(demand.didWork);
    EXPECT_EQ(demand.dueInMs, 0.0);
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
}

TEST(TickPacing, TheNextReplyOfAPollIsExpectedAsLongAsTheLastOne) {
    Rig rig;
    rig.connect();
    const std::string reply = "line 1\r\nline 2\r\nscpi > ";
    rig.tick();
    EXPECT_EQ(rig.form1.Timer1.demand().inputWanted, SIZE_MAX);  // nothing known yet: wait for quiet
    rig.port.receive(reply);
    rig.tick();
    rig.form1.Timer1.demand();
    rig.tick();  // the next poll
    EXPECT_EQ(rig.form1.Timer1.demand().inputWanted, reply.size());
    rig.port.receive(reply.substr(0, 10));
    rig.tick();
    EXPECT_EQ(rig.form1.Timer1.demand().inputWanted, reply.size() - 10);
    rig.port.receive(reply.substr(10) + "more");  // longer than last time: each byte counts
    rig.tick();
    rig.form1.Timer1.demand();
    EXPECT_EQ(rig.form1.Term.text(), "line 1\r\nline 2\r\n");
}

TEST(TickPacing, AClosedPortAndDisabledUpdatesNeedNoTicks) {
    Rig rig;
    rig.tick();
    EXPECT_FALSE(rig.form1.Timer1.demand().dueInMs);

    rig.connect();
    rig.form1.disableUpdates.checked = true;
    rig.tick();
    rig.form1.Timer1.demand();
    rig.tick();
    const TickDemand demand = rig.form1.Timer1.demand();
    EXPECT_FALSE(demand.didWork);
    EXPECT_FALSE(demand.dueInMs);
    EXPECT_EQ(rig.label(), "Idle");
}

TEST(TickPacing, DemoModeTicksAtItsInterval) {
    Rig rig;
    rig.form1.demoMode.onClick();
    rig.tick();
    const TickDemand demand = rig.form1.Timer1.demand();
    EXPECT_EQ(demand.dueInMs, 90.0);
}

TEST(TickPacing, TheTerminalShowsHeldInputOnItsIdleTicksThenRests) {
    Rig rig;
    rig.connect();
    rig.form1.funcTermEmul.onClick();
    rig.tick();  // the poll outstanding when the view changed
    rig.port.receive("screen\r\nscpi > ");
    rig.tick();
    runUntilQuiet(rig, 0.5);
    rig.port.receive("hello");
    rig.tick();
    EXPECT_TRUE(rig.form1.Timer1.demand().didWork);
    const int ticks = runUntilQuiet(rig, 4.0);
    EXPECT_NE(rig.forms.frmTerminal.txtTerminal.text().find("hello"), std::string::npos);
    EXPECT_EQ(rig.label(), "In Kestrix Terminal Mode");
    EXPECT_LE(ticks, 6);
    EXPECT_FALSE(rig.form1.Timer1.demand().dueInMs);
}

}  // namespace
}  // namespace kestrix
