#include "trend/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace kestrix {
namespace {

TEST(AxisTicks, FallOnOneTwoFiveStepsInsideTheRangeWithLabelsThatDiffer) {
    const struct {
        double low, high;
        int most;
    } ranges[] = {
        {33.2, 34.3, 5}, {32.95, 34.21, 8}, {-0.0003, 0.0012, 6}, {48.6991, 48.7013, 4},   {1.1e-12, 9.3e-12, 5},
        {0, 123456, 8},  {-7.5, -2.25, 6},  {2.9e7, 3.3e7, 5},    {29.99999, 30.00004, 6},
    };
    for (const auto& r : ranges) {
        const auto ticks = axisTicks(r.low, r.high, r.most);
        ASSERT_GE(ticks.size(), 2u) << r.low << ".." << r.high;
        EXPECT_LE(ticks.size(), static_cast<std::size_t>(r.most));
        const double difference = ticks[1].value - ticks[0].value;
        const double decade = std::pow(10.0, std::floor(std::log10(difference) + 1e-9));
        const double multiple = std::round(difference / decade), step = multiple * decade;
        EXPECT_NEAR(difference / decade, multiple, 1e-6);
        EXPECT_TRUE(multiple == 1 || multiple == 2 || multiple == 5) << "step " << difference;
        std::set<std::string> labels;
        for (const AxisTick& t : ticks) {
            EXPECT_GE(t.value, r.low - step * 1e-6);
            EXPECT_LE(t.value, r.high + step * 1e-6);
            EXPECT_NEAR(t.value / step, std::round(t.value / step), 1e-6);  // a multiple of the step
            labels.insert(t.label);
        }
        EXPECT_EQ(labels.size(), ticks.size()) << r.low << ".." << r.high;
    }
    std::vector<std::string> labels;
    for (const AxisTick& t : axisTicks(0, 1, 6)) labels.push_back(t.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
    EXPECT_TRUE(axisTicks(1, 1, 5).empty());
}

}  // namespace
}  // namespace kestrix
