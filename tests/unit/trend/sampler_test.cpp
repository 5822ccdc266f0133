#include "trend/sampler.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrix {
namespace {

// The link asks at idle ticks; each round that is due is sent and answered at once. A reading
// is stamped with its slot, however late the round went; a round that went after the next slot
// came due takes the latest slot whose time has come, and those passed over are gaps.
TEST(TrendSampler, StampsEachReadingWithItsSlotAndGivesWayToTheNextSlotWhenLate) {
    TrendSampler sampler;
    sampler.setQueries({":SYNC:TINT?"});
    sampler.setInterval(10);
    sampler.setHoldingView(true);  // every idle tick is the trend's: no view's turn between rounds
    std::vector<double> stamps;
    sampler.onSample = [&](const std::string&, double time, double, const std::string&) { stamps.push_back(time); };
    struct Ask {
        double at;
        bool due;
        double stamp;  // seconds after the first round's start
    };
    const Ask asks[] = {
        {100.031, true, 0},   // the schedule begins at the first chance
        {105.0, false, 0},    //
        {110.030, false, 0},  // a millisecond early
        {110.2, true, 10},    // late by 0.17 s: still slot 1
        {125.9, true, 20},    // slot 2 missed its time, slot 3 not yet due: slot 2
        {130.031, true, 30},  //
        {171.0, true, 70},    // slots 4 to 6 passed over in a stall
        {179.0, false, 0},    //
    };
    for (const Ask& ask : asks) {
        const std::size_t before = stamps.size();
        ASSERT_EQ(sampler.due(ask.at), ask.due) << "at " << ask.at;
        if (!ask.due) continue;
        EXPECT_EQ(sampler.start(ask.at), ":SYNC:TINT?");
        sampler.received("+1.5E-08\r\n");
        ASSERT_EQ(stamps.size(), before + 1);
        EXPECT_NEAR(stamps.back() - 100.031, ask.stamp, 1e-9) << "at " << ask.at;
    }
}

}  // namespace
}  // namespace kestrix
