#include "link/shown_data_age.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

// A view polled and answered: the poll goes out on one tick, its reply is shown on the next.
void pollAndAnswer(Rig& rig, const std::string& reply) {
    rig.tick();
    rig.port.takeWritten();
    rig.port.receive(reply + "\r\nscpi > ");
    rig.tick();
}

// What the age timer leaves on a display after `seconds` more.
std::string noteAfter(Rig& rig, double seconds, const Control& display) {
    rig.clock.advance(seconds);
    rig.form1.ageTimer.fire();
    return display.staleNote;
}

struct View {
    const char* name;
    MenuItem Form1::*item;
    const char* reply;
    int timeoutSeconds;
    bool clock;
};
constexpr View kViews[] = {
    {"status", &Form1::funcStatus, "Locked to GPS", 6, false},
    {"clock", &Form1::funcClock, "\"12:00:05\"", 3, true},
    {"custom", &Form1::FuncCustUpdate, "+1.2E-09", 13, false},
};

// Each view's data turns old once its poll's time-out passes without a reply, says since when
// and how old, and is current again with the next reply.
TEST(ShownDataAge, AViewNotRenewedWithinItsTimeOutIsOldUntilTheNextReply) {
    for (const View& view : kViews) {
        SCOPED_TRACE(view.name);
        Rig rig;
        rig.connect();
        rig.form1.funcStatus.checked = false;
        (rig.form1.*view.item).checked = true;
        const Control& display = view.clock ? static_cast<const Control&>(rig.forms.frmClock.lblClock) : rig.form1.Term;
        rig.clock.advance(5);
        pollAndAnswer(rig, view.reply);  // shown at 12:00:10
        rig.tick();                      // the next poll goes out at once
        EXPECT_EQ(noteAfter(rig, view.timeoutSeconds - 0.1, display), "");
        EXPECT_EQ(noteAfter(rig, 0.2, display),
                  "Last updated 12:00:10, " + std::to_string(view.timeoutSeconds) + " s ago");
        EXPECT_EQ(noteAfter(rig, 60, display), "Last updated 12:00:10, 1 min ago");
        EXPECT_EQ(rig.label().find("Last updated"), std::string::npos);  // the status line keeps its texts

        rig.port.takeWritten();
        rig.port.receive(std::string(view.reply) + "\r\nscpi > ");
        rig.tick();
        EXPECT_EQ(display.staleNote, "");
    }
}

// A poll sent renews the allowance: a screen whose next poll waited behind other exchanges is not
// old while that poll's reply is still within its time-out.
TEST(ShownDataAge, ALatePollThatIsAnsweredInTimeKeepsTheDataCurrent) {
    Rig rig;
    rig.connect();
    pollAndAnswer(rig, "Locked to GPS");
    rig.form1.disableUpdates.checked = true;  // held back as by a run of other exchanges
    rig.clock.advance(5);
    rig.tick();
    rig.form1.disableUpdates.checked = false;
    rig.tick();
    EXPECT_EQ(rig.port.takeWritten(), ":syst:prin?\r\n");
    EXPECT_EQ(noteAfter(rig, 5.9, rig.form1.Term), "");  // 10.9 s after the reply, 5.9 s after the poll
    EXPECT_NE(noteAfter(rig, 0.2, rig.form1.Term), "");
}

TEST(ShownDataAge, ClosingThePortMakesTheShownDataOldAtOnceUntilAReplyAfterReopening) {
    Rig rig;
    rig.connect();
    pollAndAnswer(rig, "Locked to GPS");
    rig.clock.advance(2);
    rig.openPort();  // closed
    EXPECT_EQ(rig.form1.Term.staleNote, "Last updated 12:00:05, 2 s ago");
    EXPECT_EQ(rig.form1.Term.text(), "Locked to GPS\r\n");  // kept as it was
    rig.openPort();                                         // opened again: the connection sequence runs at once
    rig.tick();
    rig.port.receive("0\r\nscpi > ");
    rig.ticks(2);
    rig.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    rig.tick();
    EXPECT_EQ(rig.label(), "Identity determined");
    EXPECT_EQ(rig.form1.Term.staleNote, "Last updated 12:00:05, 2 s ago");
    pollAndAnswer(rig, "Locked to GPS");
    EXPECT_EQ(rig.form1.Term.staleNote, "");
}

TEST(ShownDataAge, TheAgeTimerIsDueWhenANoteCanChangeAndAsksForADrawWhenOneDid) {
    Rig rig;
    ShownDataAge& age = rig.app->shownAge();
    EXPECT_FALSE(age.nextTickDue().dueInMs);  // nothing shown: only a reply gives it work
    rig.connect();
    pollAndAnswer(rig, "Locked to GPS");
    EXPECT_NEAR(*age.nextTickDue().dueInMs, 6000, 5);  // at the time-out
    rig.clock.advance(6.5);
    rig.form1.ageTimer.fire();
    const TickDemand demand = age.nextTickDue();
    EXPECT_TRUE(demand.didWork);
    EXPECT_NEAR(*demand.dueInMs, 500, 5);  // when "6 s" becomes "7 s"
    rig.clock.advance(100);
    rig.form1.ageTimer.fire();
    EXPECT_EQ(rig.form1.Term.staleNote, "Last updated 12:00:05, 1 min ago");
    EXPECT_NEAR(*age.nextTickDue().dueInMs, 13500, 5);  // when it is 2 min old
    EXPECT_FALSE(age.nextTickDue().didWork);
    EXPECT_EQ(age.nextTickDue().inputWanted, std::numeric_limits<std::size_t>::max());  // input is the link's
}

TEST(ShownDataAge, AgesAreSaidInSecondsMinutesAndHours) {
    const std::pair<double, const char*> cases[] = {{-1, "0 s"},         {0.4, "0 s"},         {59.9, "59 s"},
                                                    {60, "1 min"},       {3599, "59 min"},     {3600, "1 h 0 min"},
                                                    {7530, "2 h 5 min"}, {90000, "25 h 0 min"}};
    for (const auto& [age, text] : cases) EXPECT_EQ(ageText(age), text) << age;
}

const std::string kHealthAlarm = "HEALTH MONITOR ...................................................... [ ALARM ]";

TEST(AlarmLines, AreTheLinesThatCarryTheAlarmBannerWithoutTheirLineEnds) {
    const std::string screen = "SYNCHRONIZATION ... [ Outputs Valid ]\r\n" + kHealthAlarm + "\r\nSelf Test: OK\r\n";
    EXPECT_EQ(alarmLines(screen), (std::vector<TextRange>{{39, kHealthAlarm.size()}}));
    EXPECT_EQ(alarmLines(kHealthAlarm), (std::vector<TextRange>{{0, kHealthAlarm.size()}}));  // no line end
    EXPECT_EQ(alarmLines("A [ ALARM ]\nB\rC [ ALARM ]"), (std::vector<TextRange>{{0, 11}, {14, 11}}));
    for (const char* quiet : {"", "\r\n", "HEALTH MONITOR ... [ OK ]\r\n", "[ ALARM", "[ alarm ]"})
        EXPECT_TRUE(alarmLines(quiet).empty()) << quiet;
}

TEST(AlarmMark, StaysWhileTheStatusScreenReportsAnAlarmAndTheScreenTextIsUnchanged) {
    Rig rig;
    rig.connect();
    EXPECT_FALSE(rig.form1.alarmMark.visible);
    const std::string alarmScreen = "SYNCHRONIZATION ... [ Outputs Valid ]\r\n" + kHealthAlarm;
    pollAndAnswer(rig, alarmScreen);
    EXPECT_TRUE(rig.form1.alarmMark.visible);
    EXPECT_EQ(rig.form1.Term.text(), alarmScreen + "\r\n");
    EXPECT_EQ(rig.form1.Term.alarmHighlights, alarmLines(rig.form1.Term.text()));

    rig.form1.funcClock.onClick();  // neither the clock nor a custom command's reply is a status screen
    pollAndAnswer(rig, "\"12:00:09\"");
    EXPECT_TRUE(rig.form1.alarmMark.visible);
    rig.form1.funcClock.checked = false;
    rig.form1.FuncCustUpdate.checked = true;
    pollAndAnswer(rig, "+1.2E-09");
    EXPECT_TRUE(rig.form1.alarmMark.visible);
    EXPECT_TRUE(rig.form1.Term.alarmHighlights.empty());

    rig.form1.funcStatus.onClick();
    pollAndAnswer(rig, "HEALTH MONITOR ... [ OK ]");
    EXPECT_FALSE(rig.form1.alarmMark.visible);
    EXPECT_TRUE(rig.form1.Term.alarmHighlights.empty());
}

TEST(AlarmNotifications, AreOffByDefaultAndWhenOnTellTheDesktopAsTheAlarmAppearsAndClears) {
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        Rig rig;
        EXPECT_FALSE(rig.form1.alarmNotifications.checked);
        if (on) rig.form1.alarmNotifications.onClick();
        rig.connect();
        pollAndAnswer(rig, "HEALTH MONITOR ... [ OK ]");
        pollAndAnswer(rig, "SYNC ... [ Outputs Valid ]\r\n" + kHealthAlarm);
        pollAndAnswer(rig, "SYNC ... [ Outputs Valid ]\r\n" + kHealthAlarm);  // still on: told once
        pollAndAnswer(rig, "HEALTH MONITOR ... [ OK ]");
        const std::vector<std::pair<std::string, std::string>> told{
            {"Receiver alarm", "73408K on Com1: HEALTH MONITOR [ ALARM ]"},
            {"Receiver alarm cleared", "73408K on Com1 no longer reports an alarm"}};
        EXPECT_EQ(rig.fakes.notifier.shown, on ? told : decltype(told){});
    }
}

TEST(AlarmNotifications, TheCheckMarkIsKeptInASectionOfItsOwn) {
    Rig rig;
    rig.profile.text = "[Miscellaneous]\r\nFunction=1\r\n";
    rig.form1.alarmNotifications.onClick();
    EXPECT_EQ(rig.profile.text, "[Miscellaneous]\r\nFunction=1\r\n[Alarm Notifications]\r\nDesktop=1\r\n");
    rig.form1.alarmNotifications.checked = false;
    rig.app->shownAge().wire();  // as at the next start
    EXPECT_TRUE(rig.form1.alarmNotifications.checked);
    rig.form1.alarmNotifications.onClick();
    EXPECT_FALSE(rig.form1.alarmNotifications.checked);
    EXPECT_EQ(rig.profile.GetPrivateProfileIntA("Alarm Notifications", "Desktop", -1), 0);
}

}  // namespace
}  // namespace kestrix
