#include "common/main_window.h"

#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

std::vector<const MenuItem*> checkedViews(const Form1& f) {
    std::vector<const MenuItem*> checked;
    for (const MenuItem* item : {&f.funcStatus, &f.funcClock, &f.funcTermEmul, &f.FuncCustUpdate})
        if (item->checked) checked.push_back(item);
    return checked;
}

struct PolledViewRow {
    MenuItem Form1::*item;
    bool clockShown;
    bool customCommandEnabled;
};

TEST(FunctionMenu, EachPolledViewSetsItsCheckMarkClockWindowAndEnabling) {
    const PolledViewRow rows[] = {
        {&Form1::funcClock, true, false},
        {&Form1::FuncCustUpdate, false, true},
        {&Form1::funcStatus, false, false},
    };
    Rig rig;
    rig.forms.frmTerminal.show();
    for (const auto& row : rows) {
        MenuItem& item = rig.form1.*row.item;
        SCOPED_TRACE(item.name);
        rig.state.termReady = true;
        rig.form1.disableUpdates.enabled = false;
        rig.forms.frmClock.lblClock.caption = "12:00:00";
        item.onClick();
        EXPECT_EQ(checkedViews(rig.form1), std::vector<const MenuItem*>{&item});
        EXPECT_EQ(rig.forms.frmClock.visible, row.clockShown);
        EXPECT_EQ(rig.form1.CustomCommand.enabled, row.customCommandEnabled);
        EXPECT_TRUE(rig.form1.disableUpdates.enabled);
        EXPECT_FALSE(rig.state.termReady);
        EXPECT_EQ(rig.forms.frmClock.lblClock.caption, "");
        EXPECT_TRUE(rig.forms.frmTerminal.visible);  // left as it is
    }
}

TEST(FunctionMenu, TerminalViewShowsTheTerminalAndEmptiesTheStatusAndTheLine) {
    Rig rig;
    rig.form1.funcClock.onClick();
    rig.form1.Term.setText("old status");
    rig.state.termLineBuffer = "half typ";
    rig.state.termReady = true;
    const Rect size = rig.form1.geometry;
    rig.form1.funcTermEmul.onClick();
    EXPECT_TRUE(rig.forms.frmTerminal.visible);
    EXPECT_FALSE(rig.forms.frmClock.visible);
    EXPECT_EQ(checkedViews(rig.form1), std::vector<const MenuItem*>{&rig.form1.funcTermEmul});
    EXPECT_FALSE(rig.form1.CustomCommand.enabled);
    EXPECT_FALSE(rig.form1.disableUpdates.enabled);
    EXPECT_FALSE(rig.state.termReady);
    EXPECT_EQ(rig.form1.Term.text(), "");
    EXPECT_EQ(rig.state.termLineBuffer, "");
    EXPECT_EQ(rig.form1.geometry, size);  // no sizing in the terminal view
}

TEST(FunctionMenu, ChoosingTheClockViewShowsAnEmptyClockAtOnceAndPollsIt) {
    Rig rig;
    rig.connect();
    rig.form1.funcClock.onClick();
    EXPECT_TRUE(rig.forms.frmClock.visible);
    EXPECT_EQ(rig.forms.frmClock.lblClock.caption, "");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":ptim:str?\r\n");
}

TEST(DemoMode, OnAppendsToTheCaptionSlowsTheTimerAndEnablesTheCommandMenus) {
    Rig rig;
    FrmShowLog& log = rig.forms.frmShowLog;
    log.mnuQuery.enabled = log.mnuControl.enabled = log.mnuService.enabled = false;
    rig.form1.demoMode.onClick();
    EXPECT_TRUE(rig.form1.demoMode.checked);
    EXPECT_EQ(rig.form1.Timer1.intervalMs, 90);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix (Demo) ");
    EXPECT_TRUE(log.mnuQuery.enabled && log.mnuControl.enabled && log.mnuService.enabled);

    rig.form1.demoMode.onClick();
    EXPECT_FALSE(rig.form1.demoMode.checked);
    EXPECT_EQ(rig.form1.Timer1.intervalMs, 11);
    EXPECT_EQ(rig.form1.caption, "Morvandelle Kestrix");
}

TEST(DemoMode, OffRemovesEightCharactersEvenAfterTheCaptionChanged) {
    Rig rig;
    rig.form1.demoMode.onClick();
    rig.form1.caption = "Morvandelle Kestrix";  // a time-out reset it meanwhile
    rig.form1.demoMode.onClick();
    EXPECT_EQ(rig.form1.caption, "Morvandelle");
    rig.form1.caption = "Short";
    rig.form1.demoMode.onClick();
    rig.form1.demoMode.onClick();
    EXPECT_EQ(rig.form1.caption, "Short");
    rig.form1.demoMode.onClick();
    rig.form1.caption = "tiny";
    rig.form1.demoMode.onClick();
    EXPECT_EQ(rig.form1.caption, "");
}

TEST(DemoMode, ShowsTheCannedScreenEverySecondTickAndSendsNothing) {
    Rig rig;
    rig.openPort();
    rig.clock.date = {2026, 12, 6};
    rig.clock.seconds = 10 * 3600 + 15 * 60 + 7;
    rig.form1.demoMode.onClick();
    rig.tick();
    EXPECT_EQ(rig.label(), "requesting status");
    EXPECT_EQ(rig.form1.Term.text(), "");
    rig.tick();
    EXPECT_EQ(rig.label(), "received status");
    const std::vector<std::string> lines{
        "-------------------------------- Receiver Status -------------------------------",
        std::string(80, ' '),
        "SYNCHRONIZATION ............................................. [ Outputs Valid ]",
        "Tempovance Mode ___________________________   Reference Outputs _______________",
        ">> Locked to GPS: frequency is stable         TFOM     3             FFOM     0",
        "   Recovery                                   1PPS TI +32.8 ns relative to GPS ",
        "   Holdover                                   HOLD THR 1.000 us                ",
        "   Power-up                                   Holdover Uncertainty ____________",
        "                                              Predict  11.5 us/initial 24 hrs  ",
        std::string(79, ' '),
        "ACQUISITION ............................................ [ GPS 1PPS CLK Valid ]",
        "Satellite Status __________________________   Time ____________________________",
        "Tracking: 6        Not Tracking: 1            UTC      10:15:07     06 Dec 2026",
        "PRN  El  Az   SS   PRN  El  Az                1PPS CLK Synchronized to UTC     ",
        "  5  47 168  118    25  10 302                ANT DLY  250 ns                  ",
        "  6  51 314  142                              Position ________________________",
        " 16  51 100  109                              MODE     Hold                    ",
        " 17  22 238   81                                                               ",
        " 20  70 252  147                              LAT      N  37:19:32.124         ",
        " 24  29  48   77                              LON      W 121:59:51.872         ",
        "ELEV MASK 10 deg                              HGT               +71.12 m  (MSL)",
        "HEALTH MONITOR ......................................................... [ OK ]",
        "Self Test: OK  | Int Pwr: OK   Oven Pwr: OK   OCXO: OK   EFC: OK   GPS Rcv: OK ",
    };
    std::string expected;
    for (const std::string& line : lines) expected += (expected.empty() ? "" : "\r\n") + line;
    EXPECT_EQ(rig.form1.Term.text(), expected);
    rig.ticks(10);
    EXPECT_EQ(rig.port.written, "");

    rig.form1.funcClock.onClick();
    rig.tick();
    EXPECT_EQ(rig.label(), "requesting clock");
    EXPECT_EQ(rig.forms.frmClock.lblClock.caption, "10:15:07");
    rig.tick();
    EXPECT_EQ(rig.label(), "received clock");
    EXPECT_EQ(rig.port.written, "");
}

TEST(DemoMode, WithUpdatesDisabledTheLinkRunsInstead) {
    Rig rig;
    rig.openPort();
    rig.form1.demoMode.onClick();
    rig.form1.disableUpdates.onClick();
    rig.tick();
    EXPECT_EQ(rig.port.written, "\r\n");  // the first probe of the link
}

}  // namespace
}  // namespace kestrix
