// When the download timer asks for its next tick: packets follow their prompts at once, and a
// wait for prompts runs no tick until input comes or a silence check can fire.

#include <gtest/gtest.h>

#include "download_rig.h"

namespace kestrix {
namespace {

using testing::downLine;
using testing::DownloadRig;
using testing::firmware;
using testing::packetOf;
using testing::prompts;

// Plays the platform for `seconds` of the fake clock with nothing arriving: the download timer
// ticks when its demand falls due and not otherwise. Returns the ticks run.
int runFor(DownloadRig& rig, double seconds) {
    int ticks = 0;
    double left = seconds;
    TickDemand demand = rig.window.Timer1.demand();
    while (rig.window.Timer1.enabled && demand.dueInMs && left > 0) {
        const double wait = *demand.dueInMs / 1000.0;
        if (wait > left) break;
        rig.clock.advance(wait);
        left -= wait;
        rig.downloadTick();
        ++ticks;
        demand = rig.window.Timer1.demand();
    }
    rig.clock.advance(left);
    return ticks;
}

TEST(TransferPacing, WaitingForPromptsRunsNoTickUntilTheSilenceCheckThenResendsAtOnce) {
    DownloadRig rig;
    const auto records = firmware(38);
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    TickDemand demand = rig.window.Timer1.demand();
    EXPECT_TRUE(demand.didWork);
    EXPECT_EQ(demand.dueInMs, 0.0);

    rig.downloadTick();  // nothing has come; the status line says what is awaited
    EXPECT_TRUE(rig.window.Timer1.demand().didWork);
    rig.downloadTick();
    demand = rig.window.Timer1.demand();
    EXPECT_FALSE(demand.didWork);
    EXPECT_EQ(demand.inputWanted, 1u);  // any byte may be the prompt that frees a slot
    ASSERT_TRUE(demand.dueInMs);
    EXPECT_NEAR(*demand.dueInMs, 10'000, 10);
    EXPECT_EQ(rig.download.idleTicks(), 1u);

    EXPECT_EQ(runFor(rig, 9.9), 0);
    EXPECT_TRUE(rig.writes().empty());
    // The check that times out, the tick that writes both packets again right after it, the
    // one that shows the wait, and the first idle one.
    EXPECT_EQ(runFor(rig, 0.2), 4);
    EXPECT_EQ(rig.writes(), (std::vector<std::string>{packetOf(records, 0, 10), packetOf(records, 10, 10)}));
    EXPECT_EQ(rig.window.Text3.text(), "2");
    EXPECT_EQ(rig.download.idleTicks(), 2u);
}

TEST(TransferPacing, APromptThatFreesASlotSendsTheNextPacketAtTheNextTick) {
    DownloadRig rig;
    const auto records = firmware(38);
    rig.readyWith(records);
    rig.downloadTick();
    rig.writes();
    rig.downloadTick();
    rig.window.Timer1.demand();

    rig.port.receive(prompts(9));  // counted: the tick did something
    rig.downloadTick();
    TickDemand demand = rig.window.Timer1.demand();
    EXPECT_TRUE(demand.didWork);
    EXPECT_EQ(demand.dueInMs, 0.0);
    rig.downloadTick();
    demand = rig.window.Timer1.demand();
    EXPECT_FALSE(demand.didWork);
    EXPECT_GT(demand.dueInMs.value_or(0), 9'000);

    rig.port.receive("scpi > ");  // the platform wakes the tick for any byte
    rig.downloadTick();
    EXPECT_EQ(rig.writes(), std::vector<std::string>{packetOf(records, 20, 10)});
    EXPECT_TRUE(rig.window.Timer1.demand().didWork);
}

TEST(TransferPacing, AfterAnErrorPromptTheDrainWaitsTwoSecondsForLinesThatNeverAnswer) {
    DownloadRig rig;
    rig.readyWith(firmware(38));
    rig.downloadTick();
    rig.writes();
    rig.port.receive(prompts(4) + "E-224> ");  // 15 lines still on their way
    rig.downloadTick();
    rig.window.Timer1.demand();
    rig.downloadTick();
    TickDemand demand = rig.window.Timer1.demand();
    EXPECT_FALSE(demand.didWork);
    ASSERT_TRUE(demand.dueInMs);
    EXPECT_NEAR(*demand.dueInMs, 2'000, 10);
    EXPECT_EQ(runFor(rig, 1.9), 0);
    EXPECT_TRUE(rig.writes().empty());
    runFor(rig, 0.2);
    EXPECT_EQ(rig.writes(), std::vector<std::string>{"*cls\r\n"});
}

TEST(TransferPacing, TheQuietWaitLooksAgainSoonWhileTheDeviceStillHoldsOutput) {
    DownloadRig rig;
    rig.readyWith(firmware(3));
    rig.downloadTick();
    rig.window.cmdStopDownload.onClick();
    rig.port.takeWritten();
    rig.window.cmdDoDownload.onClick();
    rig.downloadTick();
    rig.window.Timer1.demand();
    rig.downloadTick();
    TickDemand demand = rig.window.Timer1.demand();
    EXPECT_FALSE(demand.didWork);
    ASSERT_TRUE(demand.dueInMs);
    EXPECT_NEAR(*demand.dueInMs, 2'000, 10);

    // No event reports the device's own queue emptying: it is looked at again after a tick.
    rig.port.pendingOutput = 40;
    rig.clock.advance(2.1);
    rig.downloadTick();
    demand = rig.window.Timer1.demand();
    EXPECT_FALSE(rig.state.downloadPrep);
    EXPECT_EQ(demand.dueInMs, static_cast<double>(rig.window.Timer1.intervalMs));
    rig.port.pendingOutput = 0;
    rig.downloadTick();
    EXPECT_TRUE(rig.state.downloadPrep);
    EXPECT_TRUE(rig.window.Timer1.demand().didWork);
}

TEST(TransferPacing, WhileTheMainWindowPreparesTheReceiverTheDownloadTimerWaits) {
    DownloadRig rig;
    rig.port.setSettings("19200,n,8,1");
    rig.connect();
    rig.requestDownload(testing::fileOf(firmware(3)));
    rig.downloadTick();  // hands the preparation to the main timer
    EXPECT_TRUE(rig.window.Timer1.demand().didWork);
    EXPECT_TRUE(rig.state.downloadPrep);
    rig.downloadTick();
    const TickDemand demand = rig.window.Timer1.demand();
    EXPECT_FALSE(demand.didWork);
    EXPECT_FALSE(demand.dueInMs);  // the main timer's ticks wake it
}

}  // namespace
}  // namespace kestrix
