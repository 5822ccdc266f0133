#include "common/fitting.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/main_window.h"
#include "shared/size_samples.h"
#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

// The fake measurer: a character is 120 twips wide and a line 240 twips high at 10 points.
struct FittingRig : Rig {
    FittingRig() {
        form1.frameWidth = 120;
        form1.frameHeight = 900;
        form1.geometry = {1000, 600, 5000, 4000};
    }
};

TEST(SizeSamples, AreTheLineScreenAndClockTexts) {
    EXPECT_EQ(lineWidthSample, std::string(82, 'M'));
    EXPECT_EQ(screenHeightSample.size(), 25u + 24u);
    EXPECT_EQ(std::count(screenHeightSample.begin(), screenHeightSample.end(), '\r'), 24);
    EXPECT_EQ(screenHeightSample.find('\n'), std::string::npos);
    EXPECT_EQ(screenHeightSample.substr(0, 3), "M\rM");
    EXPECT_EQ(clockSizeSample, "XXXXXXXX");
}

TEST(FitMainWindow, StatusViewHolds82By25CharactersOfTheStatusFont) {
    FittingRig rig;
    rig.form1.Term.font = {"Lucida Console", 10.0f, true, true};
    fitMainWindowToView(rig.app->context);
    EXPECT_EQ(rig.form1.font, rig.form1.Term.font);
    EXPECT_EQ(rig.form1.geometry.width, 82 * 120);  // no frame allowance
    EXPECT_EQ(rig.form1.innerHeight(), 25 * 240);
    EXPECT_EQ(rig.form1.geometry.left, 1000);
}

TEST(FitMainWindow, OtherViewsShrinkToTheBandAboveTheDivider) {
    FittingRig rig;
    rig.form1.funcClock.onClick();
    EXPECT_EQ(rig.form1.geometry.height, 900 + rig.form1.Line1.y2);
    EXPECT_EQ(rig.form1.geometry.width, 5000);
    rig.form1.funcStatus.onClick();  // back: 25 lines of the 9-point status font
    EXPECT_EQ(rig.form1.innerHeight(), 25 * 216);
    EXPECT_EQ(rig.form1.geometry.width, 82 * 108);
}

TEST(FitMainWindow, ASizeThatCannotBeComputedLeavesTheWindowAsItWas) {
    for (const float size : {0.0f, 10000.0f}) {
        FittingRig rig;
        rig.form1.Term.font.size = size;
        fitMainWindowToView(rig.app->context);
        EXPECT_EQ(rig.form1.geometry, (Rect{1000, 600, 5000, 4000})) << size;
    }
}

}  // namespace
}  // namespace kestrix
