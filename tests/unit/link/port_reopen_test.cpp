#include "link/port_reopen.h"

#include <gtest/gtest.h>

#include <cmath>

#include "download/download_rig.h"

namespace kestrix {
namespace {

using testing::DownloadRig;
using testing::Rig;

const std::string kReason =
    "COM1 (/dev/serial/by-id/usb-Qerrin_QX2_0041-if00-port0) was disconnected: Input/output error";

// Runs the reopen timer as the platform does: a tick when it is enabled and its owner asked for
// one by now. Returns whether a tick ran.
bool serveReopenTimer(Rig& rig) {
    Timer& timer = rig.form1.reopenTimer;
    if (!timer.enabled || !timer.demand) return false;
    const auto due = timer.demand().dueInMs;
    if (!due || *due > 0) return false;
    return timer.fire();
}

TEST(ReopenSchedule, TriesAtOnceThenDoublesThePauseUpToTenSecondsAcrossMidnight) {
    ReopenSchedule schedule;
    EXPECT_FALSE(schedule.msUntilDue(0));
    double now = 86400 - 3;  // the tries cross midnight
    schedule.begin(now);
    EXPECT_TRUE(schedule.due(now));
    const double pauses[] = {0.5, 1, 2, 4, 8, 10, 10};
    for (double pause : pauses) {
        schedule.failed(now);
        EXPECT_DOUBLE_EQ(*schedule.msUntilDue(now), pause * 1000) << pause;
        EXPECT_FALSE(schedule.due(now + pause * 0.99));
        now += pause;
        if (now >= 86400) now -= 86400;
        EXPECT_TRUE(schedule.due(now)) << pause;
        EXPECT_DOUBLE_EQ(*schedule.msUntilDue(now + 5), 0);
    }
    schedule.end();
    EXPECT_FALSE(schedule.due(now));
}

TEST(ReopenSchedule, APortLostAgainSoonAfterItReopenedIsNotTriedInATightLoop) {
    ReopenSchedule schedule;
    double now = 100;
    schedule.begin(now);
    // A server that accepts each connection and drops it at once: every try opens the port.
    const double waits[] = {0, 0.5, 1, 2, 4, 8, 10, 10};
    for (double wait : waits) {
        EXPECT_DOUBLE_EQ(*schedule.msUntilDue(now), wait * 1000);
        now += wait;  // the try falls due and opens the port
        schedule.opened(now, kReason);
        now += 0.1;  // and the server drops it: the reason it first went away stands
        EXPECT_EQ(schedule.reasonItIsAway("the far end closed the connection", now), kReason);
        schedule.begin(now);
    }
    // Lost again long after it reopened, or after the user took over: at once again, for the
    // reason it went away this time.
    schedule.opened(now, kReason);
    EXPECT_EQ(schedule.reasonItIsAway("Input/output error", now + kLongestReopenPause), "Input/output error");
    schedule.begin(now + kLongestReopenPause);
    EXPECT_DOUBLE_EQ(*schedule.msUntilDue(now + kLongestReopenPause), 0);
    schedule.failed(now);
    schedule.end();
    schedule.begin(now);
    EXPECT_DOUBLE_EQ(*schedule.msUntilDue(now), 0);
}

// A port that went away is opened again once it is back; the link takes it up as after Port Open.
TEST(PortReopen, TriesOnlyWhenDueAndTheLinkGoesOnOnceThePortIsBack) {
    Rig rig;
    rig.connect();
    rig.port.failOpen = "/dev/ttyUSB0: No such file or directory";
    const int opensBefore = rig.port.openAttempts;
    rig.port.lose(kReason);
    rig.tick();
    EXPECT_EQ(rig.label(), kReason);
    EXPECT_FALSE(rig.form1.MOpen.checked);
    EXPECT_TRUE(rig.link.waitingToReopen());

    // With the port away the main timer asks for no tick, and the reopen timer only for the next try.
    EXPECT_FALSE(rig.form1.Timer1.demand().dueInMs);
    int triesExpected = 0;
    for (int second = 0; second < 40; ++second) {
        for (int turn = 0; turn < 4; ++turn)
            if (serveReopenTimer(rig)) ++triesExpected;
        rig.clock.advance(1);
    }
    // At once, then after 0.5 (seen at the next second), 1, 2, 4 and 8 s, then every 10 s.
    EXPECT_EQ(rig.port.openAttempts - opensBefore, triesExpected);
    EXPECT_EQ(triesExpected, 8);  // at 0, 1, 2, 4, 8, 16, 26 and 36 s
    EXPECT_DOUBLE_EQ(*rig.form1.reopenTimer.demand().dueInMs, 6000);
    rig.tick();
    EXPECT_EQ(rig.label(), kReason);  // the reason stays while it waits
    EXPECT_TRUE(rig.dialogs.messages.empty());

    rig.port.failOpen.clear();
    rig.clock.advance(10);
    rig.port.takeWritten();
    ASSERT_TRUE(serveReopenTimer(rig));
    EXPECT_TRUE(rig.port.portOpen());
    EXPECT_TRUE(rig.form1.MOpen.checked);
    EXPECT_TRUE(rig.state.portIsOpen);
    EXPECT_FALSE(rig.form1.reopenTimer.enabled);
    EXPECT_TRUE(rig.form1.reopenTimer.demand().didWork);
    EXPECT_FALSE(rig.link.waitingToReopen());
    rig.tick();  // an idle link goes on as after Port Open: the connection sequence
    EXPECT_EQ(rig.port.takeWritten(), ":syst:comm:ser:fdup?\r\n");
    EXPECT_EQ(rig.label(), "Checking echo...");
}

TEST(PortReopen, PortOpenWhileWaitingEndsTheWaitAndLeavesThePortClosed) {
    Rig rig;
    rig.connect();
    rig.port.failOpen = "/dev/ttyUSB0: No such file or directory";
    rig.port.lose(kReason);
    serveReopenTimer(rig);
    const int tries = rig.port.openAttempts;
    rig.openPort();
    EXPECT_FALSE(rig.link.waitingToReopen());
    EXPECT_FALSE(rig.form1.reopenTimer.enabled);
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_FALSE(rig.form1.MOpen.checked);
    EXPECT_TRUE(rig.dialogs.messages.empty());
    rig.port.failOpen.clear();
    rig.clock.advance(60);
    rig.form1.reopenTimer.fire();
    rig.tick();
    EXPECT_EQ(rig.port.openAttempts, tries);
    EXPECT_EQ(rig.label(), "Port not open");

    rig.openPort();  // the next Port Open opens it as always
    EXPECT_TRUE(rig.port.portOpen());
}

TEST(PortReopen, TurnedOffAPortThatWentAwayStaysClosed) {
    Rig rig;
    rig.link.reopenLostPort = false;
    rig.connect();
    rig.port.lose(kReason);
    EXPECT_FALSE(rig.link.waitingToReopen());
    EXPECT_FALSE(rig.form1.reopenTimer.enabled);
    rig.clock.advance(30);
    rig.form1.reopenTimer.fire();
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_EQ(rig.label(), kReason);
}

// A download is never taken up again on a port that came back, whatever the phase it was in.
TEST(PortReopen, ADownloadUnderWayEndsAndThePortComesBackOnlyAfterwards) {
    for (const bool erased : {false, true}) {
        SCOPED_TRACE(erased ? "sending records" : "preparing");
        DownloadRig rig;
        rig.dialogs.modalActions["FrmEchoKill2"] = [&rig](Window&) { rig.forms.frmEchoKill2.cmdOK.onClick(); };
        if (erased) {
            rig.readyWith(testing::firmware(38));
            rig.downloadTick();  // the first packets go out
        } else {
            rig.port.setSettings("19200,n,8,1");
            rig.connect();
            rig.requestDownload(testing::fileOf(testing::firmware(38)));
            rig.downloadTick();
            rig.tick();  // the preparation's first question is on the line
            ASSERT_TRUE(rig.state.downloadPrep);
        }
        rig.port.lose(kReason);
        EXPECT_FALSE(serveReopenTimer(rig) && rig.port.portOpen());  // not while the download runs
        rig.downloadTick();
        EXPECT_FALSE(rig.state.downloadPrep);
        const std::string& outcome = rig.window.lblOutcome.caption;
        EXPECT_NE(outcome.find("The port closed during the download."), std::string::npos);
        EXPECT_EQ(outcome.find("needs a complete download") != std::string::npos, erased) << outcome;

        ASSERT_TRUE(serveReopenTimer(rig));
        EXPECT_TRUE(rig.port.portOpen());
        rig.port.takeWritten();
        rig.downloadTicks(3);
        rig.ticks(3);
        EXPECT_EQ(rig.port.takeWritten().find("diag:down"), std::string::npos);
        EXPECT_TRUE(rig.window.cmdDoDownload.enabled);
    }
}

}  // namespace
}  // namespace kestrix
