#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

TEST(Help, BothWindowsOpenTheManualAtKestrixHelp) {
    testing::Rig rig;
    rig.form1.helpMenuItem.onClick();
    rig.forms.frmShowLog.mnuHelpItem[0].onClick();
    EXPECT_EQ(rig.help.opened, (std::vector<std::string>{"kestrix.html#Kestrix Help", "kestrix.html#Kestrix Help"}));
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(Help, AMissingManualIsReportedWithWhereItWasLookedFor) {
    testing::Rig rig;
    rig.help.missing = "The Kestrix manual could not be found. It was looked for as:\n/opt/a.html\n/opt/b.html";
    rig.forms.frmShowLog.mnuHelpItem[0].onClick();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].text, rig.help.missing);
    EXPECT_EQ(rig.dialogs.messages[0].icon, platform::MsgIcon::Exclamation);
    EXPECT_EQ(rig.dialogs.messages[0].buttons, platform::MsgButtons::Ok);
}

}  // namespace
}  // namespace kestrix
