#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

TEST(AboutBox, ShowsPurposeAndBuildDateModallyUntilOk) {
    testing::Rig rig;
    FrmAbout& about = rig.forms.frmAbout;
    rig.fakes.programFile.modified = "12/6/2026 10:15:00 AM";
    bool shownWhileModal = false;
    rig.dialogs.modalActions["frmAbout"] = [&](Window&) {
        shownWhileModal = about.visible;
        about.cmdAbout.onClick();
    };
    rig.form1.mnuAbout.onClick();
    EXPECT_EQ(rig.dialogs.modalShown, std::vector<std::string>{"frmAbout"});
    EXPECT_TRUE(shownWhileModal);
    EXPECT_FALSE(about.visible);
    EXPECT_EQ(about.caption, "About Kestrix");
    EXPECT_EQ(about.cmdAbout.caption, "OK");
    EXPECT_EQ(about.lblAbout.caption,
              "\n\r(for use with Morvandelle GPS Timing Receivers)\n\r\n\rLast Built: 12/6/2026 10:15:00 AM");
}

TEST(AboutBox, AProgramFileThatCannotBeReadGivesNoDate) {
    testing::Rig rig;
    rig.fakes.programFile.modified.reset();
    rig.form1.mnuAbout.onClick();
    EXPECT_EQ(rig.forms.frmAbout.lblAbout.caption,
              "\n\r(for use with Morvandelle GPS Timing Receivers)\n\r\n\rLast Built: unknown");
}

}  // namespace
}  // namespace kestrix
