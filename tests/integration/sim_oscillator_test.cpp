// The simulated receiver's time interval and EFC: noisy, wandering and steered, as a trend shows them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "receiver-sim/receiver_model.h"
#include "trend/series.h"
#include "trend/stability.h"

namespace kestrix::sim {
namespace {

TEST(SimulatedOscillator, TimeIntervalShowsWhitePhaseNoiseOverASteeredWander) {
    std::chrono::seconds now{1796601600};
    ReceiverModel model({}, [&] { return TimePoint{now}; });
    std::vector<double> phase;
    std::vector<double> efc;
    for (int i = 0; i < 4000; ++i, now += std::chrono::seconds{1}) {
        const std::string reply = model.exchange(":SYNC:TINT?\r\n");
        ASSERT_EQ(reply.substr(reply.size() - 9), "\r\nscpi > ") << reply;
        phase.push_back(leadingValue(reply));
        if (i % 100 == 0) efc.push_back(leadingValue(model.exchange(":DIAG:ROSC:EFC:ABS?\r\n")));
    }
    for (double x : phase) {
        ASSERT_GT(x, 22e-9);  // around the 1 PPS path's 33 ns, held there by the loop
        ASSERT_LT(x, 44e-9);
    }
    // White phase noise: the Allan deviation falls about as 1/tau at short averaging times.
    const auto one = stabilityAt(phase, 1, 1), sixteen = stabilityAt(phase, 1, 16);
    EXPECT_GT(one.overlappingAllanDeviation, 3e-10);
    EXPECT_LT(sixteen.overlappingAllanDeviation, one.overlappingAllanDeviation / 8);
    // The EFC moves (the loop steers) but stays near its centre.
    double lowest = 100, highest = 0;
    for (double e : efc) lowest = std::min(lowest, e), highest = std::max(highest, e);
    EXPECT_GT(highest - lowest, 0.001);
    EXPECT_GT(lowest, 45.0);
    EXPECT_LT(highest, 52.0);
}

}  // namespace
}  // namespace kestrix::sim
