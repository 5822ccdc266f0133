// The "&Control" and "&Query" menus against the simulated receiver: every query of the catalogue
// is understood, the status system reads as bit patterns, and an alarm is traced to its cause.

#include <gtest/gtest.h>

#include "support/sim_program.h"

namespace kestrix {
namespace {

constexpr char kEnter = 13;

struct CommandMenusOnTheLine : ::testing::Test {
    testing::SimProgram program;
    FrmShowLog& window = program.app.forms.frmShowLog;

    void SetUp() override {
        ASSERT_TRUE(program.connect()) << program.label();
        window.txtShowLog.setText({});
        program.receiver.withModel([](sim::ReceiverModel& model) { model.status().clear(); });
    }

    const std::string& log() const { return window.txtShowLog.text(); }

    // Chooses a menu entry; one that fills the command line is sent with Enter. Runs until the
    // window is ready for the next command.
    bool choose(const MenuItem& item) {
        item.onClick();
        if (!program.state().sendRequest) window.cmbSendSCPI.onKeyPress(kEnter);
        if (!program.state().sendRequest) return false;
        return program.runUntil([&] { return window.cmdSendSCPI.enabled; });
    }
    bool choose(const char* name) { return choose(*findMenuItem(window, name)); }

    bool send(const std::string& command) {
        window.cmbSendSCPI.text = command;
        window.cmbSendSCPI.onKeyPress(kEnter);
        return program.runUntil([&] { return window.cmdSendSCPI.enabled; });
    }

    static void leavesOf(const MenuItem& menu, std::vector<const MenuItem*>& leaves) {
        for (const MenuItem* item : menu.items) {
            if (item->isSeparator) continue;
            if (item->items.empty()) leaves.push_back(item);
            else leavesOf(*item, leaves);
        }
    }

    // The standard event bits of errors the receiver has queued since it was last asked.
    std::uint8_t errorEvents() {
        constexpr std::uint8_t kErrors = sim::esr_bit::kQueryError | sim::esr_bit::kDeviceDependentError |
                                         sim::esr_bit::kExecutionError | sim::esr_bit::kCommandError;
        return program.receiver.withModel([](sim::ReceiverModel& model) {
            return static_cast<std::uint8_t>(model.status().standardEvents() & kErrors);
        });
    }
};

TEST_F(CommandMenusOnTheLine, EveryQueryOfTheQueryMenuGetsAReplyNotAnError) {
    std::vector<const MenuItem*> leaves;
    leavesOf(window.mnuQuery, leaves);
    ASSERT_EQ(leaves.size(), 14u + 3 + 4 + 4 + 5 + 5);
    for (const MenuItem* item : leaves) {
        SCOPED_TRACE(item->name);
        ASSERT_TRUE(item->visible);
        window.txtShowLog.setText({});
        ASSERT_TRUE(choose(*item));
        EXPECT_EQ(errorEvents(), 0) << log();
        EXPECT_EQ(log().find("ERROR: "), std::string::npos) << log();
        EXPECT_EQ(log().find(",\""), std::string::npos) << log();  // an error text: -113,"Undefined header"
        EXPECT_TRUE(log().starts_with("\r\nSent: ")) << log();
        const bool group = item->name.starts_with("mnuStatItem");
        if (!group) {
            EXPECT_NE(log().find("\r\nreply: "), std::string::npos) << log();
            EXPECT_EQ(log().find("reply: No response from unit"), std::string::npos);
        }
    }
}

TEST_F(CommandMenusOnTheLine, EverySettingOfTheControlMenuIsTakenWithAValue) {
    const std::pair<const char*, const char*> settings[] = {
        {"mnuControlItem(0)", "50"},
        {"mnuControlItem(1)", "15"},
        {"mnuControlItem(2)", "2026,12,7"},
        {"mnuControlItem(3)", "10,41,0"},
        {"mnuControlItem(4)", "N,37,19,32.1,W,121,59,51.9,71"},
        {"mnuControlItem(5)", " LAST"},
        {"mnuControlItem(6)", ""},
        {"mnuControlItem(7)", "5,12"},
        {"mnuControlItem(8)", ""},
        {"mnuControlItem(9)", ""},
        {"mnuControlItem(10)", ""},
        {"mnuControlItem(11)", ""},
        {"mnuControlItem(12)", "-5,30"},
        {"mnuPowControlItem(0)", ""},
        {"mnuPowControlItem(1)", "FIRST"},
        {"mnuPowControlItem(2)", "ON"},
        {"mnuPowControlItem(3)", "12,0,0"},
        {"mnuPowControlItem(4)", "2027,1,1"},
        {"mnuPowControlItem(5)", "6"},
    };
    for (const auto& [name, value] : settings) {
        SCOPED_TRACE(name);
        findMenuItem(window, name)->onClick();
        ComboBox& line = window.cmbSendSCPI;
        line.text.insert(line.caretPosition, value);  // typed where the caret waits
        window.txtShowLog.setText({});
        ASSERT_TRUE(send(line.text));
        EXPECT_EQ(errorEvents(), 0) << log();
        EXPECT_TRUE(log().ends_with("\r\nreply: command complete")) << log();
    }
    ASSERT_TRUE(send(":GPS:REF:ADEL?"));
    EXPECT_TRUE(log().ends_with("\r\nreply: +5.000E-08\r\n")) << log();
    ASSERT_TRUE(send(":PULS:CONT:PER?"));
    EXPECT_TRUE(log().ends_with("\r\nreply: 6\r\n")) << log();
}

TEST_F(CommandMenusOnTheLine, AHealthyReceiverHasNoAlarmCause) {
    ASSERT_TRUE(send("*SRE 168"));
    window.txtShowLog.setText({});
    ASSERT_TRUE(choose("mnuAlarmArray(0)"));
    EXPECT_EQ(log(), "\r\nAlarm Cause(s): None \r\n");
}

TEST_F(CommandMenusOnTheLine, AHardwareFaultIsNamedAsTheAlarmsCauseAndReadingClearsTheEvents) {
    // The site's alarm set-up: hardware faults raise the operation summary and a service request.
    for (const char* command : {":STAT:OPER:HARD:ENAB 8191", ":STAT:OPER:ENAB 32", "*SRE 128",
                                ":STAT:OPER:HARD:PTR 8191", ":STAT:OPER:HARD:NTR 0"})
        ASSERT_TRUE(send(command));
    sim::SimOptions options = program.receiver.options();
    options.hardwareFaults = 1u << 9;  // the GPS receiver fails; the rise latches through the filter
    program.receiver.setOptions(options);

    window.txtShowLog.setText({});
    ASSERT_TRUE(choose("mnuAlarmArray(0)"));
    EXPECT_EQ(log(),
              "\r\nAlarm Cause(s): "
              "\r\nOPERATION SUMMARY:"
              "\r\n    HARDWARE SUMMARY:"
              "\r\n        GPS Failure+"
              "\r\n");

    window.txtShowLog.setText({});
    ASSERT_TRUE(choose("mnuStatItem(1)"));
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:EVEN?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:EVEN?   bit pattern: 0000000000000"
              "\r\nSent: :STAT:OPER:POW:EVEN?   bit pattern: 000"
              "\r\nSent: :STAT:OPER:EVEN?   bit pattern: 0000000"
              "\r\nSent: :STAT:QUES:EVEN?   bit pattern: 0000"
              "\r\nSent: *ESR?   bit pattern: 0000000"
              "\r\n");

    // The fault itself is still there: its condition stays set.
    window.txtShowLog.setText({});
    ASSERT_TRUE(choose("mnuStatItem(0)"));
    EXPECT_NE(log().find("\r\nSent: :STAT:OPER:HARD:COND?   bit pattern: 0001000000000"), std::string::npos) << log();
}

TEST_F(CommandMenusOnTheLine, AFaultThatCameAndWentShowsBothTransitionMarks) {
    for (const char* command : {":STAT:OPER:HARD:ENAB 8191", ":STAT:OPER:ENAB 32", "*SRE 128",
                                ":STAT:OPER:HARD:PTR 256", ":STAT:OPER:HARD:NTR 256"})
        ASSERT_TRUE(send(command));
    sim::SimOptions options = program.receiver.options();
    options.hardwareFaults = 1u << 8;  // GPS 1PPS failure ...
    program.receiver.setOptions(options);
    options.hardwareFaults = 0;  // ... mended
    program.receiver.setOptions(options);

    window.txtShowLog.setText({});
    ASSERT_TRUE(choose("mnuAlarmArray(0)"));
    EXPECT_EQ(log(),
              "\r\nAlarm Cause(s): "
              "\r\nOPERATION SUMMARY:"
              "\r\n    HARDWARE SUMMARY:"
              "\r\n        GPS 1PPS Failure+-"
              "\r\n");
}

}  // namespace
}  // namespace kestrix
