// The "&Control" and "&Query" menus as the user meets them: what each entry puts into the command
// line and under it, where the caret waits, which entries only a 73408K shows, and the rules for
// starting a status-query group.

#include <gtest/gtest.h>

#include <cctype>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

constexpr char kEnter = 13;

// One line per entry, indented by depth: the caption, "[73408K]" when only that model shows it;
// then, for an entry that runs something, what choosing it did.
class MenuListing {
public:
    explicit MenuListing(FrmShowLog& window) : window_(window) {}

    std::string of(const MenuItem& menu) {
        text_ = menu.caption + "\n";
        for (const MenuItem* item : menu.items) entry(*item, 1);
        return text_;
    }

private:
    void entry(const MenuItem& item, int depth) {
        const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
        text_ += indent + (item.isSeparator ? "-" : item.caption) + (item.visible ? "" : "  [73408K]") + "\n";
        for (const MenuItem* child : item.items) entry(*child, depth + 1);
        if (item.isSeparator || !item.items.empty()) return;
        text_ += indent + "    " + chosen(item) + "\n";
    }

    // Chooses the entry over a half-typed line and an older help text.
    std::string chosen(const MenuItem& item) {
        ComboBox& line = window_.cmbSendSCPI;
        line.text = "half typed";
        line.caretPosition = 4;
        line.focusRequested = false;
        window_.lblSend.caption = "older help";
        window_.txtShowLog.setText({});
        item.onClick();
        if (window_.txtShowLog.text() == "\r\nYou need to enable the port first") return "starts a status group";
        std::string caret = "focus unchanged";
        if (line.focusRequested && line.caretPosition == line.text.size()) caret = "caret at end";
        else if (line.focusRequested) caret = "caret at " + std::to_string(line.caretPosition);
        return "[" + line.text + "] " + window_.lblSend.caption + " | " + caret;
    }

    FrmShowLog& window_;
    std::string text_;
};

TEST(CommandMenus, TheWholeCatalogueAsTheUserFindsIt) {
    Rig rig;
    rig.app->start();  // the port stays closed; only a 73408K shows the model's entries
    MenuListing listing(rig.forms.frmShowLog);
    EXPECT_EQ(listing.of(rig.forms.frmShowLog.mnuControl), R"(&Control
  &Antenna Delay
      [:GPS:REF:ADEL  ns] Enter the antenna delay value (in ns), just before the 'ns' suffix | caret at 14
  Elevation Mas&k Angle
      [:GPS:SAT:TRAC:EMAN ] Enter the mask angle (0 to 89 in degrees) | caret at end
  Initial &Date
      [:GPS:INIT:DATE ] Enter the date (yr,mo,day) | caret at end
  &Initial Time
      [:GPS:INIT:TIME ] Enter the approximate time (hr,min,sec) | caret at end
  Initial Po&sition
      [:GPS:INIT:POS ] Enter approx. position (N|S,deg,min,sec, E|W,deg,min,sec, elev. in meters) | caret at end
  Position-Hold Lo&cation
      [:GPS:POS] Enter position hold location (use N|S,deg,min,sec, E|W,deg,min,sec, elev. in meters or SURV for current surveyed position or LAST for last held position) | caret at end
  Su&rvey
      [:GPS:POS:SURV ONCE ] Survey for location | caret at end
  Satellite I&gnore
      [:GPS:SAT:TRAC:IGN ] List satellites to ignore (use svid, svid, ... or :NONE or :ALL) | caret at end
  Go to Manual &Holdover
      [:SYNC:HOLD:INIT ] Initiate manual holdover | caret at end
  Reco&ver from Manual Holdover
      [:SYNC:HOLD:REC:INIT ] Initiate recover from manual holdover | caret at end
  S&ynchronization Immediate
      [:SYNC:IMM ] If recovering to lock, do fast sync | caret at end
  Clear Diagnos&tic Log
      [:DIAG:LOG:CLE] Clear the diagnostic log | caret at end
  Time o&ffset from UTC
      [:PTIM:TZON ] Use this to set time to your local time. Enter offset from UTC (use hr,min). Range is -12 to + 13 hours | caret at end
  -  [73408K]
  Clear Ti&mestamps  [73408K]
      [:SENS:DATA:CLEAR ] Clear all timestamp data (add "tst N" to end of command to clear selected channel, where N = 1,2, or 3). | caret at end
  Timestamp Capt&ure Method  [73408K]
      [:SENS:DATA:MEM:SAVE ] Set to FIRST if you want no overwriting of timestamps when memory is full. Set to LAST if you want new timestamps to overwrite oldest when memory is full. | caret at end
  TOD Output Periodic/O&nce  [73408K]
      [:PULS:CONT:STAT ] Set to ON if you want TOD output to be periodic, OFF if you want only a single pulse | caret at end
  T&OD Start Time  [73408K]
      [:PULS:STAR:TIME ] Set the start time for the TOD output (<hour>,<minute>,<second>). | caret at end
  TOD Start Dat&e  [73408K]
      [:PULS:STAR:DATE ] Set the start date for the TOD output (<year>,<month>,<day>). | caret at end
  TOD &Period  [73408K]
      [:PULS:CONT:PER ] Set the period (in seconds) for the TOD outputs. Note that :PULS:CONS:STAT must be ON | caret at end
  -
  A&larm Clear
    &Clear Alarm and Show Cause
        starts a status group
)");
    EXPECT_EQ(listing.of(rig.forms.frmShowLog.mnuQuery), R"(&Query
  Produ&ct ID
      [*IDN?] Get receiver identification | caret at end
  Antenna dela&y
      [:GPS:REF:ADEL?] Get antenna delay | caret at end
  Elevation Mas&k Angle
      [:GPS:SAT:TRAC:EMAN?] Get elevation mask angle | caret at end
  Get &Diagnostic Log
      [:DIAG:LOG:READ:ALL?] Get diagnostic log | caret at end
  Last &Held Position
      [:GPS:POS:HOLD:LAST?] Get last held position | caret at end
  I&gnored Satellites
      [:GPS:SAT:TRAC:IGN?] Get list of satellites that will be ignored | caret at end
  T&imecode
      [:PTIM:TCOD?] Get timecode message for next 1 PPS edge | caret at end
  Dat&e
      [:PTIM:DATE?] Get current date | caret at end
  Ti&me
      [:PTIM:TIME?] Get current time | caret at end
  Absolute E&FC Value
      [:DIAG:ROSC:EFC:ABS?] Get absolute oscillator EFC setting | caret at end
  Time Inter&val
      [:SYNC:TINT?] Get GPS 1 PPS to Internal Osc 1 PPS interval | caret at end
  Time&zone Offset
      [:PTIM:TZON?] Get user-entered time offset from UTC | caret at end
  Po&wer-up Survey State
      [:GPS:POS:SURV:STAT:POW?] 1 = will survey on powerup, 0 = will use last powerdown state (either survey or position hold) on powerup | caret at end
  Accumulated &Leapseconds
      [:PTIM:LEAP:ACC?] Get accumulated leapseconds between GPS and UTC time | caret at end
  -  [73408K]
  &Timestamp Data  [73408K]
    Input &1
        [:SENS:DATA? "TST 1"] Get timestamp data from input 1 | focus unchanged
    Input &2
        [:SENS:DATA? "TST 2"] Get timestamp data from input 2 | focus unchanged
    Input &3
        [:SENS:DATA? "TST 3"] Get timestamp data from input 3 | focus unchanged
  S&amples Collected  [73408K]
    Input &1
        [:SENS:DATA:POIN? "TST 1"] Get number of data points on input 1 | focus unchanged
    Input &2
        [:SENS:DATA:POIN? "TST 2"] Get number of data points on input 2 | focus unchanged
    Input &3
        [:SENS:DATA:POIN? "TST 3"] Get number of data points on input 3 | focus unchanged
    &All Inputs
        [:SENS:DATA:POIN?] Get number of data points on all inputs | focus unchanged
  Ove&rflow Count  [73408K]
    Input &1
        [:SENS:DATA:MEM:OVER:COUN? "TST 1"] Get overflow count from input 1 | focus unchanged
    Input &2
        [:SENS:DATA:MEM:OVER:COUN? "TST 2"] Get overflow count from input 2 | focus unchanged
    Input &3
        [:SENS:DATA:MEM:OVER:COUN? "TST 3"] Get overflow count from input 3 | focus unchanged
    &All Inputs
        [:SENS:DATA:MEM:OVER:COUN?] Get overflow count from all inputs | focus unchanged
  Time&stamp Capture Method  [73408K]
      [:SENS:DATA:MEM:SAVE?] If reply is FIRS, no new data after mem if full. If reply is LAST, new data replaces oldest when mem full. | focus unchanged
  -  [73408K]
  TOD Output Periodic/O&nce  [73408K]
      [:PULS:CONT:STAT?] If reply is 1, time of day output will be periodic at selected rate.  If reply is 0, only a single pulse will be output. | focus unchanged
  TOD Start Time  [73408K]
      [:PULS:STAR:TIME?] Get time when TOD output will begin | focus unchanged
  T&OD Start Date  [73408K]
      [:PULS:STAR:DATE?] Get date when TOD output will begin | focus unchanged
  TOD &Period  [73408K]
      [:PULS:CONT:PER?] Get period (in seconds) at which TOD outputs will be generated (:PULS:CONT:STAT must be ON).  For example, if reply is 6, outputs will occur every 6 seconds. | focus unchanged
  -
  Stat&us System
    All &Conditions
        starts a status group
    All E&vents
        starts a status group
    All E&nable Masks
        starts a status group
    All &Positive Transition Filters
        starts a status group
    All Ne&gative Transition Filters
        starts a status group
)");
    EXPECT_TRUE(rig.forms.frmShowLog.cmbSendSCPI.items().empty());  // choosing is not sending
}

// Within one menu or submenu, each access key leads to one entry only.
TEST(CommandMenus, AccessKeysAreUniqueWithinEachMenu) {
    FrmShowLog window;
    std::vector<const MenuItem*> menus{&window.mnuControl, &window.mnuQuery};
    for (std::size_t i = 0; i < menus.size(); ++i) {
        std::string keys;
        for (const MenuItem* item : menus[i]->items) {
            if (!item->items.empty()) menus.push_back(item);
            const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(accessKey(item->caption))));
            if (key == 0) continue;
            EXPECT_EQ(keys.find(key), std::string::npos) << menus[i]->caption << ": " << item->caption;
            keys += key;
        }
    }
    EXPECT_EQ(accessKey("TOD Start Time"), 0);
    EXPECT_EQ(accessKey("Ove&rflow Count"), 'r');
}

TEST(CommandMenus, EachStatusEntryStartsItsGroupWithItsFirstQuery) {
    const std::pair<const char*, const char*> entries[] = {
        {"mnuStatItem(0)", ":STAT:OPER:HOLD:COND?"}, {"mnuStatItem(1)", ":STAT:OPER:HOLD:EVEN?"},
        {"mnuStatItem(2)", ":STAT:OPER:HOLD:ENAB?"}, {"mnuStatItem(3)", ":STAT:OPER:HOLD:PTR?"},
        {"mnuStatItem(4)", ":STAT:OPER:HOLD:NTR?"},  {"mnuAlarmArray(0)", "*sre?"}};
    for (const auto& [name, firstQuery] : entries) {
        Rig rig;
        rig.connect();
        FrmShowLog& window = rig.forms.frmShowLog;
        window.cmbSendSCPI.text = "*IDN?";
        window.lblSend.caption = "help";
        findMenuItem(window, name)->onClick();
        EXPECT_FALSE(window.cmdSendSCPI.enabled) << name;
        rig.tick();
        EXPECT_EQ(rig.port.takeWritten(), std::string(firstQuery) + "\r\n") << name;
        EXPECT_EQ(window.cmbSendSCPI.text, "*IDN?") << name;  // the command line is left alone
        EXPECT_EQ(window.lblSend.caption, "help") << name;
    }
}

struct CommandMenusOnTheLine : ::testing::Test {
    Rig rig;
    FrmShowLog& window = rig.forms.frmShowLog;

    CommandMenusOnTheLine() {
        rig.connect();
        rig.form1.disableUpdates.checked = true;
        window.txtShowLog.setText({});
    }
    void choose(const char* name) { findMenuItem(window, name)->onClick(); }
    void pressEnter() { window.cmbSendSCPI.onKeyPress(kEnter); }
    const std::string& log() const { return window.txtShowLog.text(); }
    // What the user types lands at the caret.
    void typeAtCaret(const std::string& text) {
        ComboBox& line = window.cmbSendSCPI;
        line.text.insert(line.caretPosition, text);
        line.caretPosition += text.size();
    }
};

TEST_F(CommandMenusOnTheLine, AntennaDelayTakesTheValueBetweenTheBlanksBeforeNs) {
    window.cmbSendSCPI.text = ":PTIM:TI";  // half typed
    choose("mnuControlItem(0)");
    EXPECT_TRUE(window.cmbSendSCPI.focusRequested);
    typeAtCaret("50");
    EXPECT_EQ(window.cmbSendSCPI.text, ":GPS:REF:ADEL 50 ns");
    EXPECT_TRUE(window.cmbSendSCPI.items().empty());  // choosing is not sending
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_EQ(log(), "");

    pressEnter();
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":GPS:REF:ADEL 50 ns\r\n");
    EXPECT_EQ(window.cmbSendSCPI.items(), std::vector<std::string>{":GPS:REF:ADEL 50 ns"});
}

TEST_F(CommandMenusOnTheLine, ChoosingAnotherEntryReplacesTheLineAndItsHelp) {
    choose("mnuControlItem(12)");
    typeAtCaret("-5,3");
    choose("mnuQueryItem(11)");
    EXPECT_EQ(window.cmbSendSCPI.text, ":PTIM:TZON?");
    EXPECT_EQ(window.lblSend.caption, "Get user-entered time offset from UTC");
    choose("mnuSampItem(3)");  // a submenu query leaves the caret and focus alone
    EXPECT_EQ(window.cmbSendSCPI.text, ":SENS:DATA:POIN?");
    EXPECT_EQ(window.lblSend.caption, "Get number of data points on all inputs");
    EXPECT_TRUE(window.cmbSendSCPI.items().empty());
}

TEST(CommandMenus, ASelectionWithThePortClosedIsRefusedAndLaterCommandsGoOutUnchanged) {
    Rig rig;
    FrmShowLog& window = rig.forms.frmShowLog;
    findMenuItem(window, "mnuStatItem(0)")->onClick();
    EXPECT_EQ(window.txtShowLog.text(), "\r\nYou need to enable the port first");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);

    rig.connect();
    rig.form1.disableUpdates.checked = true;
    window.txtShowLog.setText({});
    window.cmbSendSCPI.text = "*IDN?";
    window.cmbSendSCPI.onKeyPress(kEnter);
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.ticks(2);
    EXPECT_EQ(window.txtShowLog.text(), "\r\nSent: *IDN?\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

TEST_F(CommandMenusOnTheLine, ASelectionWhileACommandWaitsToBeSentIsDropped) {
    window.cmbSendSCPI.text = "*IDN?";
    pressEnter();
    choose("mnuStatItem(1)");
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), "*IDN?\r\n");
    rig.port.receive("x\r\nscpi > ");
    rig.ticks(3);
    EXPECT_EQ(log(), "\r\nSent: *IDN?\r\nreply: x\r\n");
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

TEST_F(CommandMenusOnTheLine, ASelectionWhileACommandsReplyIsOutstandingStartsAfterThatReply) {
    window.cmbSendSCPI.text = ":PTIM:TIME?";
    pressEnter();
    rig.tick();  // written; its reply is outstanding
    rig.port.takeWritten();
    choose("mnuStatItem(3)");
    rig.port.receive("12,0,0\r\nscpi > ");
    rig.tick();  // the reply is complete
    rig.tick();  // logged as the command's reply; the group's first query goes out
    EXPECT_EQ(rig.port.takeWritten(), ":STAT:OPER:HOLD:PTR?\r\n");
    EXPECT_FALSE(window.cmdSendSCPI.enabled);
    for (int i = 0; i < 5; ++i) {
        rig.port.receive("0\r\nscpi > ");
        rig.ticks(2);
    }
    EXPECT_EQ(log(),
              "\r\nSent: :PTIM:TIME?\r\nreply: 12,0,0\r\n"
              "\r\nSent: :STAT:OPER:HOLD:PTR?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:PTR?   bit pattern: 0000000000000"
              "\r\nSent: :STAT:OPER:POW:PTR?   bit pattern: 000"
              "\r\nSent: :STAT:OPER:PTR?   bit pattern: 0000000"
              "\r\nSent: :STAT:QUES:PTR?   bit pattern: 0000"
              "\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

TEST_F(CommandMenusOnTheLine, ASelectionDuringARunningGroupLeavesTheGroupWhole) {
    choose("mnuStatItem(4)");
    for (int i = 0; i < 5; ++i) {
        rig.tick();
        choose("mnuAlarmArray(0)");  // while the query is outstanding
        rig.port.receive("0\r\nscpi > ");
        rig.tick();
        choose("mnuStatItem(0)");  // while the next query waits to be sent
    }
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(),
              ":STAT:OPER:HOLD:NTR?\r\n:STAT:OPER:HARD:NTR?\r\n:STAT:OPER:POW:NTR?\r\n:STAT:OPER:NTR?\r\n"
              ":STAT:QUES:NTR?\r\n");
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:NTR?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:NTR?   bit pattern: 0000000000000"
              "\r\nSent: :STAT:OPER:POW:NTR?   bit pattern: 000"
              "\r\nSent: :STAT:OPER:NTR?   bit pattern: 0000000"
              "\r\nSent: :STAT:QUES:NTR?   bit pattern: 0000"
              "\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.state.queryGroup, 0);
}

TEST(CommandMenus, OnlyA73408KShowsTheModelsEntriesAndTheirSeparators) {
    for (const std::string model : {"73408K", "LARK7"}) {
        Rig rig;
        rig.app->start();
        rig.connect(model);
        const bool shown = model == "73408K";
        const FrmShowLog& window = rig.forms.frmShowLog;
        for (const char* name :
             {"hyph10", "mnuPowControlItem(0)", "mnuPowControlItem(5)", "hyph5", "mnuTst", "mnuSamp", "mnuOverflow",
              "mnuFirstorLast", "hyph6", "mnuPulseMode", "mnuDailyPulse", "mnuPulsePeriod", "mnuPeriodicStart"})
            EXPECT_EQ(findMenuItem(window, name)->visible, shown) << model << " " << name;
        for (const char* name : {"mnuControlItem(0)", "mnuQueryItem(13)", "hyph11", "mnuAlarmclr", "hyph7",
                                 "mnuQueryStatus", "mnuTstItem(0)", "mnuSampItem(3)"})
            EXPECT_TRUE(findMenuItem(window, name)->visible) << model << " " << name;
    }
}

}  // namespace
}  // namespace kestrix
