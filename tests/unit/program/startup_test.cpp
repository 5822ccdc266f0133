#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

TEST(Startup, AFirstRunWithoutASettingsFile) {
    Rig rig;
    rig.form1.frameHeight = 600;
    rig.app->start();
    EXPECT_EQ(rig.port.commPort(), 1);
    EXPECT_EQ(rig.port.settings(), "9600,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 0);
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_EQ(rig.form1.Term.font, (FontSpec{"Courier New", 9.0f, false, false}));
    EXPECT_EQ(rig.form1.font, rig.form1.Term.font);
    EXPECT_EQ(rig.forms.frmClock.lblClock.font, (FontSpec{"Courier New", 48.0f, false, false}));  // not bold
    EXPECT_EQ(rig.forms.frmTerminal.txtTerminal.font, (FontSpec{"Courier New", 9.0f, false, false}));
    EXPECT_EQ(rig.app->startup.builtInClockFont, (FontSpec{"Courier New", 48.0f, false, true}));
    EXPECT_TRUE(rig.form1.funcStatus.checked);
    EXPECT_TRUE(rig.form1.visible);
    EXPECT_TRUE(rig.forms.frmShowLog.visible);
    EXPECT_FALSE(rig.forms.frmClock.visible);
    EXPECT_FALSE(rig.forms.frmTerminal.visible);
    EXPECT_EQ(rig.label(), "To start: Select Port Open on the CommPort menu (may need Settings...)");
    // 82 "M" wide and 25 lines high in the 9-point status font (the fake measures 108 by 216 twips).
    EXPECT_EQ(rig.form1.geometry.width, 82 * 108);
    EXPECT_EQ(rig.form1.innerHeight(), 25 * 216);
    EXPECT_EQ(rig.form1.Term.geometry.top, rig.form1.Line1.y2);
    EXPECT_EQ(rig.form1.Term.geometry.width, rig.form1.innerWidth());
    for (MenuItem* hidden : {&rig.form1.mnuFilePrint, &rig.form1.funcTermEmul, &rig.form1.FuncCustUpdate,
                             &rig.form1.CustomCommand, &rig.form1.hyph3, &rig.form1.hyph19})
        EXPECT_FALSE(hidden->visible) << hidden->name;
    EXPECT_FALSE(findMenuItem(rig.forms.frmShowLog, "mnuTst")->visible);
    EXPECT_EQ(rig.forms.configScrn.lblComPath[1].caption, "/dev/ttyS0");
}

TEST(Startup, TheClockViewOpensTheClockWindowAndShowsOnlyTheBand) {
    Rig rig;
    rig.profile.text = "[Miscellaneous]\r\nFunction=1\r\n";
    rig.form1.frameHeight = 600;
    rig.app->start();
    EXPECT_TRUE(rig.form1.funcClock.checked);
    EXPECT_FALSE(rig.form1.funcStatus.checked);
    EXPECT_TRUE(rig.forms.frmClock.visible);
    EXPECT_EQ(rig.form1.geometry.height, 600 + rig.form1.Line1.y2);
}

TEST(Startup, TheTerminalViewShowsTheTerminalWindowSizedToItsFont) {
    Rig rig;
    rig.profile.text = "[Miscellaneous]\r\nFunction=2\r\n[Terminal]\r\nSize=10\r\n";
    rig.forms.frmTerminal.frameHeight = 300;
    rig.app->start();
    EXPECT_TRUE(rig.form1.funcTermEmul.checked);
    EXPECT_TRUE(rig.forms.frmTerminal.visible);
    EXPECT_EQ(rig.forms.frmTerminal.geometry.width, 82 * 120);
    EXPECT_EQ(rig.forms.frmTerminal.geometry.height, 25 * 240 + 300);
}

TEST(Startup, StoredValuesThePortCannotTakeDoNotStopIt) {
    Rig rig;
    rig.profile.text =
        "[Communications]\r\nPort=9\r\nBaud=38400\r\nParity= 7\r\nData bits=9\r\nPacing=8\r\n"
        "[Status Font]\r\nSize=0\r\nName=\r\n";
    rig.app->start();
    EXPECT_EQ(rig.port.commPort(), 1);
    EXPECT_EQ(rig.port.settings(), "9600,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 0);
    EXPECT_EQ(rig.form1.Term.font, (FontSpec{"Courier New", 9.0f, false, false}));
}

TEST(Startup, WhatARunChangesComesBackAtTheNextStart) {
    Rig first;
    first.app->start();
    first.port.setCommPort(2);
    first.port.setSettings("4800,O,7,2");
    first.port.setHandshaking(1);
    first.form1.Term.font.bold = true;
    first.forms.frmClock.lblClock.font.size = 57.6f;
    first.forms.frmTerminal.txtTerminal.font = {"Liberation Mono", 10.5f, true, false};
    first.form1.funcClock.onClick();
    bool cancel = false;
    first.form1.onCloseRequest(cancel);

    Rig second;
    second.profile.text = first.profile.text;
    second.app->start();
    EXPECT_EQ(second.port.commPort(), 2);
    EXPECT_EQ(second.port.settings(), "4800,o,7,2");
    EXPECT_EQ(second.port.handshaking(), 1);
    EXPECT_TRUE(second.form1.Term.font.bold);
    EXPECT_FLOAT_EQ(second.forms.frmClock.lblClock.font.size, 57.6f);
    EXPECT_EQ(second.forms.frmTerminal.txtTerminal.font, (FontSpec{"Liberation Mono", 10.5f, true, false}));
    EXPECT_TRUE(second.form1.funcClock.checked);
    EXPECT_TRUE(second.forms.frmClock.visible);
}

}  // namespace
}  // namespace kestrix
