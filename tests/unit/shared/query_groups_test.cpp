// Status-query groups as the user runs them from the Control & Query menus: one query per
// exchange, each result on its query's line, the alarm causes decoded after the 24th reply.

#include <gtest/gtest.h>

#include "support/rig.h"

namespace kestrix {
namespace {

constexpr const char* kAllConditions = "mnuStatItem(0)";
constexpr const char* kAllEvents = "mnuStatItem(1)";
constexpr const char* kClearAlarm = "mnuAlarmArray(0)";

const std::vector<std::string> kAlarmQueries{"*sre?",
                                             "*stb?",
                                             ":stat:ques:enab?",
                                             ":stat:ques:even?",
                                             "*ese?",
                                             "*esr?",
                                             ":stat:oper:enab?",
                                             ":stat:oper:even?",
                                             ":stat:oper:pow:enab?",
                                             ":stat:oper:pow:even?",
                                             ":stat:oper:hold:enab?",
                                             ":stat:oper:hold:even?",
                                             ":stat:oper:hard:enab?",
                                             ":stat:oper:hard:even?",
                                             ":stat:oper:ntr?",
                                             ":stat:oper:ptr?",
                                             ":stat:oper:hard:ntr?",
                                             ":stat:oper:hard:ptr?",
                                             ":stat:oper:hold:ntr?",
                                             ":stat:oper:hold:ptr?",
                                             ":stat:oper:pow:ntr?",
                                             ":stat:oper:pow:ptr?",
                                             ":stat:ques:ntr?",
                                             ":stat:ques:ptr?"};

struct QueryGroups : ::testing::Test {
    testing::Rig rig;
    FrmShowLog& window = rig.forms.frmShowLog;
    std::vector<std::string> sent;  // the lines the receiver got, in order

    QueryGroups() {
        rig.connect();
        rig.form1.disableUpdates.checked = true;  // no view polls between the group's queries
        window.txtShowLog.setText({});
    }

    const std::string& log() const { return window.txtShowLog.text(); }
    void choose(const char* item) { findMenuItem(window, item)->onClick(); }

    // The tick that writes the next line, which the receiver then answers with `reply` and the prompt.
    void answer(const std::string& reply, const std::string& prompt = "scpi > ") {
        rig.tick();
        takeSent();
        rig.port.receive(reply + (prompt == "scpi > " ? "\r\n" : "") + prompt);
        rig.tick();
    }
    // The query is refused; the error read that follows gets `errorText`.
    void answerError(const std::string& errorText) {
        answer("", "E-113> ");
        answer(errorText);
    }
    void answerAll(const std::vector<std::string>& replies) {
        for (const auto& reply : replies) answer(reply);
        rig.tick();  // the last reply is handed over
    }
    void takeSent() {
        std::string written = rig.port.takeWritten();
        if (written.ends_with("\r\n")) written.resize(written.size() - 2);
        if (!written.empty()) sent.push_back(written);
    }
};

TEST_F(QueryGroups, AllConditionsWithClearRegistersLogsSevenPatternsThenAnEmptyLine) {
    choose(kAllConditions);
    EXPECT_FALSE(window.cmdSendSCPI.enabled);
    answerAll(std::vector<std::string>(7, "+0"));
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:COND?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:COND?   bit pattern: 0000000000000"
              "\r\nSent: :STAT:OPER:POW:COND?   bit pattern: 000"
              "\r\nSent: :STAT:OPER:COND?   bit pattern: 0000000"
              "\r\nSent: :STAT:QUES:COND?   bit pattern: 0000"
              "\r\nSent: *ESR?   bit pattern: 0000000"
              "\r\nSent: *STB?   bit pattern: 00000000"
              "\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.state.queryGroup, 0);
    EXPECT_TRUE(window.cmbSendSCPI.items().empty());  // group queries are not history
    rig.tick();
    EXPECT_TRUE(rig.port.written.empty());  // nothing more of the group goes out
}

TEST_F(QueryGroups, PatternsShowTheRegisterInItsWidthAndAValueTooWideBesideItsLowBits) {
    choose(kAllConditions);
    answerAll({"5", "768", "7", "26", "2", "128", "70000"});
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:COND?   bit pattern: 0101"
              "\r\nSent: :STAT:OPER:HARD:COND?   bit pattern: 0001100000000"
              "\r\nSent: :STAT:OPER:POW:COND?   bit pattern: 111"
              "\r\nSent: :STAT:OPER:COND?   bit pattern: 0011010"
              "\r\nSent: :STAT:QUES:COND?   bit pattern: 0010"
              "\r\nSent: *ESR?   bit pattern: 0000000 (= 128)"
              "\r\nSent: *STB?   bit pattern: 01110000 (= 70000)"
              "\r\n");
}

TEST_F(QueryGroups, AnErrorMarksOnlyItsQuerysLineAndTheGroupGoesOn) {
    choose(kAllEvents);
    answer("0");
    answer("256");
    answerError("-113,\"Undefined header\"");
    answerAll({"0", "2", "32"});
    EXPECT_EQ(sent, (std::vector<std::string>{":STAT:OPER:HOLD:EVEN?", ":STAT:OPER:HARD:EVEN?", ":STAT:OPER:POW:EVEN?",
                                              "syst:err?", ":STAT:OPER:EVEN?", ":STAT:QUES:EVEN?", "*ESR?"}));
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:EVEN?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:EVEN?   bit pattern: 0000100000000"
              "\r\nSent: :STAT:OPER:POW:EVEN?   ERROR: -113,\"Undefined header\"\r\n"
              "\r\nSent: :STAT:OPER:EVEN?   bit pattern: 0000000"
              "\r\nSent: :STAT:QUES:EVEN?   bit pattern: 0010"
              "\r\nSent: *ESR?   bit pattern: 0100000"
              "\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

TEST_F(QueryGroups, TheTransitionFilterGroupsSendFiveQueriesEach) {
    choose("mnuStatItem(3)");
    answerAll(std::vector<std::string>(5, "32767"));
    choose("mnuStatItem(4)");
    answerAll(std::vector<std::string>(5, "0"));
    EXPECT_EQ(sent, (std::vector<std::string>{":STAT:OPER:HOLD:PTR?", ":STAT:OPER:HARD:PTR?", ":STAT:OPER:POW:PTR?",
                                              ":STAT:OPER:PTR?", ":STAT:QUES:PTR?", ":STAT:OPER:HOLD:NTR?",
                                              ":STAT:OPER:HARD:NTR?", ":STAT:OPER:POW:NTR?", ":STAT:OPER:NTR?",
                                              ":STAT:QUES:NTR?"}));
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:PTR?   bit pattern: 1111 (= 32767)"
              "\r\nSent: :STAT:OPER:HARD:PTR?   bit pattern: 1111111111111 (= 32767)"
              "\r\nSent: :STAT:OPER:POW:PTR?   bit pattern: 111 (= 32767)"
              "\r\nSent: :STAT:OPER:PTR?   bit pattern: 1111111 (= 32767)"
              "\r\nSent: :STAT:QUES:PTR?   bit pattern: 1111 (= 32767)"
              "\r\n"
              "\r\nSent: :STAT:OPER:HOLD:NTR?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:NTR?   bit pattern: 0000000000000"
              "\r\nSent: :STAT:OPER:POW:NTR?   bit pattern: 000"
              "\r\nSent: :STAT:OPER:NTR?   bit pattern: 0000000"
              "\r\nSent: :STAT:QUES:NTR?   bit pattern: 0000"
              "\r\n");
}

TEST_F(QueryGroups, EnableMasksReadTheFiveSetsThenTheStandardEventAndServiceRequestMasks) {
    choose("mnuStatItem(2)");
    answerAll({"15", "8191", "7", "255", "3", "60", "168"});
    EXPECT_EQ(sent.front(), ":STAT:OPER:HOLD:ENAB?");
    EXPECT_EQ(sent.back(), "*SRE?");
    EXPECT_EQ(sent.size(), 7u);
    EXPECT_TRUE(log().ends_with("\r\nSent: *ESE?   bit pattern: 0111100\r\nSent: *SRE?   bit pattern: 10101000\r\n"));
    EXPECT_NE(log().find("\r\nSent: :STAT:OPER:ENAB?   bit pattern: 1111111 (= 255)"), std::string::npos);
}

TEST_F(QueryGroups, AlarmCausesWithNothingEnabledAreNone) {
    choose(kClearAlarm);
    std::vector<std::string> replies(24, "0");
    replies[1] = "136";  // summaries set in the status byte, but "*sre?" enables none
    answerAll(replies);
    EXPECT_EQ(sent, kAlarmQueries);
    EXPECT_EQ(log(), "\r\nAlarm Cause(s): None \r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

TEST_F(QueryGroups, AnAlarmIsDecodedIntoNamedCausesWithTheirTransitionMarks) {
    choose(kClearAlarm);
    answerAll({
        "168",         // *sre?: operation, standard event and questionable summaries enabled
        "136",         // *stb?: operation and questionable summaries
        "3",     "2",  // questionable enable, event: customer set alarm
        "60",    "0",  // *ese?, *esr?
        "35",          // operation enable: hardware summary, locked operation, power-up summary
        "34",          // operation event: hardware summary, locked operation
        "7",     "0",     "15", "0",
        "8191",   // hardware enable: every named fault
        "772",    // hardware event: GPS failure, GPS 1PPS failure, -15V out of range
        "2",      // operation negative filter: locked operation
        "32767",  // operation positive filter: everything
        "4",      // hardware negative filter: -15V
        "768",    // hardware positive filter: the two GPS faults
        "0",     "32767", "0",  "32767",
        "0",  // questionable negative filter
        "3",  // questionable positive filter
    });
    EXPECT_EQ(sent, kAlarmQueries);
    EXPECT_EQ(log(),
              "\r\nAlarm Cause(s): "
              "\r\nOPERATION SUMMARY:"
              "\r\n    HARDWARE SUMMARY:"
              "\r\n        GPS Failure+"
              "\r\n        GPS 1PPS Failure+"
              "\r\n        -15V Out of Range-"
              "\r\n     Locked Operation+-"
              "\r\nQUESTIONABLE SUMMARY:"
              "\r\n     Customer Set Alarm+"
              "\r\n");
}

TEST_F(QueryGroups, AnErrorInTheLastAlarmQueryIsLoggedInsteadOfTheDecode) {
    choose(kClearAlarm);
    std::vector<std::string> replies(23, "255");
    for (const auto& reply : replies) answer(reply);
    answerError("-113,\"Undefined header\"");
    rig.tick();
    EXPECT_EQ(log(), "\r\nAlarm Cause(s):    ERROR: -113,\"Undefined header\"\r\n\r\n");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.state.queryGroup, 0);
}

TEST_F(QueryGroups, AnErrorEarlierInTheAlarmGroupKeepsThatQuerysLastValue) {
    // A first run leaves the operation event (query 8) at "locked operation".
    choose(kClearAlarm);
    std::vector<std::string> replies(24, "0");
    replies[0] = replies[1] = "128";
    replies[6] = replies[7] = "2";
    answerAll(replies);
    window.txtShowLog.setText({});

    // The second run fails at query 8: the value of the first run is decoded again.
    choose(kClearAlarm);
    for (int i = 0; i < 7; ++i) answer(replies[static_cast<std::size_t>(i)]);
    answerError("-350,\"Queue overflow\"");
    for (int i = 8; i < 24; ++i) answer(replies[static_cast<std::size_t>(i)]);
    rig.tick();
    EXPECT_EQ(log(),
              "\r\nAlarm Cause(s):    ERROR: -350,\"Queue overflow\"\r\n"
              "\r\nOPERATION SUMMARY:"
              "\r\n     Locked Operation"
              "\r\n");
}

TEST_F(QueryGroups, ATimeOutAbandonsTheGroupAndSendCmdComesBack) {
    choose(kAllConditions);
    answer("0");
    answer("0");
    rig.tick();  // the third query goes out; the receiver stays silent
    EXPECT_EQ(rig.port.takeWritten(), ":STAT:OPER:POW:COND?\r\n");
    rig.clock.advance(14);
    rig.tick();  // timed out
    rig.tick();  // the time-out is handed over as the query's reply
    EXPECT_EQ(log(),
              "\r\nSent: :STAT:OPER:HOLD:COND?   bit pattern: 0000"
              "\r\nSent: :STAT:OPER:HARD:COND?   bit pattern: 0000000000000"
              "\r\nSent: :STAT:OPER:POW:COND?"
              "\r\nreply: No response from unit");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
    EXPECT_EQ(rig.state.queryGroup, 0);
    EXPECT_FALSE(rig.state.sendRequest);
    EXPECT_EQ(rig.port.takeWritten(), "\r\n");  // the link is probed; the group is not resumed

    // Back on the line, the window sends single commands again.
    rig.port.receive("scpi > ");
    rig.ticks(2);
    window.cmbSendSCPI.text = "*STB?";
    window.cmbSendSCPI.onKeyPress(13);
    EXPECT_TRUE(rig.state.sendRequest);
}

TEST_F(QueryGroups, ATimeOutInTheAlarmGroupIsAnOrdinaryReplyAfterItsHeading) {
    choose(kClearAlarm);
    answer("0");
    rig.tick();
    rig.clock.advance(14);
    rig.ticks(2);
    EXPECT_EQ(log(), "\r\nAlarm Cause(s): \r\nreply: No response from unit");
    EXPECT_TRUE(window.cmdSendSCPI.enabled);
}

}  // namespace
}  // namespace kestrix
