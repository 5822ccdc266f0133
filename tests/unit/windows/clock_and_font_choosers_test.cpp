#include <gtest/gtest.h>

#include "config/font_notices.h"
#include "support/rig.h"

namespace kestrix {
namespace {

struct ChooserRig : testing::Rig {
    FrmClock& clockWindow = forms.frmClock;
    FontSpec& clockFont = forms.frmClock.lblClock.font;
    FrmClkFontSelect& clockChooser = forms.frmClkFontSelect;
    FrmFontSelect& statusChooser = forms.frmFontSelect;

    ChooserRig() {
        clockWindow.frameWidth = 120;
        clockWindow.frameHeight = 500;
        form1.frameHeight = 900;
    }
};

// Eight "X" of the fake measurer: 120 twips wide and 240 high per character at 10 points.
void expectClockWindowHoldsEightX(const ChooserRig& rig, float size) {
    EXPECT_EQ(rig.clockWindow.font.size, rig.clockFont.size);
    EXPECT_EQ(rig.clockWindow.innerWidth(), static_cast<int>(8 * 120.0 * size / 10.0));
    EXPECT_EQ(rig.clockWindow.innerHeight(), static_cast<int>(240.0 * size / 10.0));
    EXPECT_EQ(rig.clockWindow.lblClock.geometry.width, rig.clockWindow.innerWidth());
    EXPECT_EQ(rig.clockWindow.lblClock.geometry.height, rig.clockWindow.innerHeight());
}

TEST(ClockWindow, LoadingHidesItAndResizeStretchesTheLabel) {
    ChooserRig rig;
    EXPECT_FALSE(rig.clockWindow.visible);
    rig.clockWindow.geometry = {0, 0, 7000, 2000};
    rig.clockWindow.onResize();
    EXPECT_EQ(rig.clockWindow.lblClock.geometry, (Rect{0, 0, 6880, 1500}));
}

TEST(ClockFontChooser, EnlargeGrowsByAFifthAndRefitsTheWindowEachTime) {
    ChooserRig rig;
    ASSERT_EQ(rig.clockFont.size, 48.0f);
    for (const double expected : {57.6, 69.12, 82.944}) {
        rig.clockChooser.cmdFontBigger.onClick();
        EXPECT_NEAR(rig.clockFont.size, expected, 0.01);
        expectClockWindowHoldsEightX(rig, rig.clockFont.size);
    }
    EXPECT_TRUE(rig.clockFont.bold);
    EXPECT_EQ(rig.clockFont.name, "Courier New");
}

TEST(ClockFontChooser, ReduceShrinksBy15PercentAndStopsAt6Points) {
    ChooserRig rig;
    rig.clockChooser.cmdFontSmaller.onClick();
    EXPECT_NEAR(rig.clockFont.size, 40.8, 0.01);
    expectClockWindowHoldsEightX(rig, rig.clockFont.size);
    for (int press = 0; press < 30; ++press) rig.clockChooser.cmdFontSmaller.onClick();
    EXPECT_EQ(rig.clockFont.size, 6.0f);
    expectClockWindowHoldsEightX(rig, 6.0f);
}

TEST(ClockFontChooser, EnlargePastTheLargestUsableSizeChangesNothing) {
    ChooserRig rig;
    rig.measurer.maxSize = 60.0f;
    rig.clockChooser.cmdFontBigger.onClick();
    EXPECT_NEAR(rig.clockFont.size, 57.6, 0.01);
    const FontSpec font = rig.clockFont;
    const Rect size = rig.clockWindow.geometry;
    for (int press = 0; press < 3; ++press) rig.clockChooser.cmdFontBigger.onClick();
    EXPECT_EQ(rig.clockFont, font);
    EXPECT_EQ(rig.clockWindow.geometry, size);
    rig.clockChooser.cmdFontSmaller.onClick();
    EXPECT_NEAR(rig.clockFont.size, 57.6 * 0.85, 0.01);
}

TEST(ClockFontChooser, AWindowTooLargeToHoldTheClockKeepsItsSize) {
    ChooserRig rig;
    rig.measurer.maxSize = 100000.0f;
    rig.clockFont.size = 10000.0f;  // 8 "X" are wider than any window
    const Rect size = rig.clockWindow.geometry;
    rig.clockChooser.cmdFontSmaller.onClick();
    EXPECT_NEAR(rig.clockFont.size, 8500.0, 0.01);
    EXPECT_EQ(rig.clockWindow.geometry, size);
}

TEST(ClockFontChooser, FontSelectChangesTheFaceButNeverTheSize) {
    ChooserRig rig;
    const Rect size = rig.clockWindow.geometry;
    rig.dialogs.fontAnswer = FontSpec{"Lucida Console", 12.0f, true, false};
    rig.clockChooser.cmdClkFontSelect.onClick();
    EXPECT_EQ(rig.clockFont, (FontSpec{"Lucida Console", 48.0f, true, false}));
    EXPECT_EQ(rig.clockWindow.geometry, size);
    ASSERT_EQ(rig.dialogs.fontsOffered.size(), 1u);
    EXPECT_EQ(rig.dialogs.fontsOffered[0].name, "Courier New");
    EXPECT_TRUE(rig.dialogs.fontsOffered[0].bold);
}

TEST(FontChoosers, CancellingEitherFontDialogChangesNothing) {
    ChooserRig rig;
    const FontSpec clock = rig.clockFont;
    const FontSpec term = rig.form1.Term.font;
    const Rect mainSize = rig.form1.geometry;
    rig.clockChooser.cmdClkFontSelect.onClick();
    rig.statusChooser.cmdFontSelect.onClick();
    EXPECT_EQ(rig.clockFont, clock);
    EXPECT_EQ(rig.form1.Term.font, term);
    EXPECT_EQ(rig.form1.geometry, mainSize);
    EXPECT_EQ(rig.dialogs.fontsOffered.size(), 2u);
}

TEST(StatusFontChooser, FontSelectAppliesTheChoiceToTheStatusDisplayAndRefits) {
    ChooserRig rig;
    rig.dialogs.fontAnswer = FontSpec{"Lucida Console", 10.0f, true, true};
    rig.statusChooser.cmdFontSelect.onClick();
    ASSERT_EQ(rig.dialogs.fontsOffered.size(), 1u);
    EXPECT_EQ(rig.dialogs.fontsOffered[0], (FontSpec{"Courier New", 9.0f, false, false}));
    EXPECT_EQ(rig.form1.Term.font, *rig.dialogs.fontAnswer);
    EXPECT_EQ(rig.form1.font, *rig.dialogs.fontAnswer);
    EXPECT_EQ(rig.form1.geometry.width, 82 * 120);
    EXPECT_EQ(rig.form1.innerHeight(), 25 * 240);
}

TEST(StatusFontChooser, DefaultsRestoreTheBuiltInFaceAndSizeWithoutBoldOrItalic) {
    ChooserRig rig;
    rig.app->startup.builtInStatusFont = {"Fixedsys", 11.0f, true, true};
    rig.form1.Term.font = {"Lucida Console", 20.0f, true, true};
    rig.statusChooser.cmdFontDefaults.onClick();
    EXPECT_EQ(rig.form1.Term.font, (FontSpec{"Fixedsys", 11.0f, false, false}));
    EXPECT_EQ(rig.form1.font, rig.form1.Term.font);
    EXPECT_EQ(rig.form1.geometry.width, 82 * 132);
}

TEST(FontChoosers, DoneHidesEachChooser) {
    ChooserRig rig;
    rig.form1.MStyleFont.onClick();
    rig.form1.MClockFont.onClick();
    rig.statusChooser.cmdDontChange.onClick();
    rig.clockChooser.cmdAllDone.onClick();
    EXPECT_FALSE(rig.statusChooser.visible);
    EXPECT_FALSE(rig.clockChooser.visible);
}

TEST(FontNotices, StyleMenuPutsTheNoticeIntoTheChooserAndShowsIt) {
    ChooserRig rig;
    rig.form1.MStyleFont.onClick();
    EXPECT_TRUE(rig.statusChooser.visible);
    EXPECT_EQ(rig.statusChooser.lblFontInfo.caption,
              "NOTE: All available fonts will be shown if you select 'Font Select >>'. However, only\n\r"
              "non-proportionally spaced fonts will align the status information properly. \n\r"
              "Example fonts include: Courier, Courier New, fixedSys.  Also, you may have to re-size the form to "
              "accommodate your changes.");
    rig.form1.MClockFont.onClick();
    EXPECT_TRUE(rig.clockChooser.visible);
    EXPECT_EQ(rig.clockChooser.lblClkFontInfo.caption,
              "NOTE: All available fonts will be shown if you select 'Font Select >>'. The size of\n\r"
              "the font used to display clock updates will not be controlled by your selection on\n\r"
              "the form that appears when you select 'Font Select >>'.  Control the font size with\n\r"
              "'Reduce Font' and 'Enlarge Font' choices.");
}

}  // namespace
}  // namespace kestrix
