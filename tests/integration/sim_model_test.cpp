// The receiver model on its own: what it answers to what it receives, without any line.

#include <gtest/gtest.h>

#include "receiver-sim/receiver_model.h"
#include "receiver-sim/scpi_error.h"

namespace kestrix::sim {
namespace {

// 17 May 2024 13:05:22 UTC
TimePoint fixedMoment() { return TimePoint{std::chrono::seconds{1715951122}}; }

ReceiverModel makeModel(SimOptions options = {}) {
    return ReceiverModel(options, [] { return fixedMoment(); });
}

std::string line(ReceiverModel& model, const std::string& command) { return model.exchange(command + "\r\n"); }

TEST(SimulatedReceiver, AnswersEveryLineWithTextAndPromptOrAnErrorPrompt) {
    auto model = makeModel();
    EXPECT_EQ(line(model, ""), "scpi > ");
    EXPECT_EQ(line(model, "*idn?"), "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN 15"), "scpi > ");
    EXPECT_EQ(line(model, ":frob:nicate?"), "E-113> ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN 95"), "E-222> ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN?"), "15\r\nscpi > ");
}

TEST(SimulatedReceiver, TakesBareCarriageReturnsAndLineFeedsAsLineEnds) {
    auto model = makeModel();
    EXPECT_EQ(model.exchange("*stb?\n"), "0\r\nscpi > ");
    // A CR waits for a possible LF until the line settles.
    EXPECT_TRUE(model.receive("*opc?\r").empty());
    EXPECT_TRUE(model.lineEndPending());
    std::string answer;
    for (const auto& t : model.settle()) answer += t.bytes;
    EXPECT_EQ(answer, "1\r\nscpi > ");
    // A CR followed by the next command ends the line before it.
    EXPECT_EQ(model.exchange("*opc?\r*opc?\r\n"), "1\r\nscpi > 1\r\nscpi > ");
}

TEST(SimulatedReceiver, HeadersMatchShortAndLongFormsInAnyCaseWithOrWithoutTheLeadingColon) {
    auto model = makeModel();
    for (const char* query : {":syst:comm:ser:fdup?", "syst:comm:ser:fdup?", "SYSTEM:COMMUNICATE:SERIAL1:FDUPLEX?",
                              ":syst:comm:ser2:fdup?", "Syst:Comm:Ser2:Fdup?"})
        EXPECT_EQ(line(model, query), "0\r\nscpi > ") << query;
    EXPECT_EQ(line(model, ":syst:comm:ser3:fdup?"), "E-113> ");
    EXPECT_EQ(line(model, ":syste:comm:ser:fdup?"), "E-113> ");  // neither short nor long form
    EXPECT_EQ(line(model, ":ptim:str?"), "\"13:05:22\"\r\nscpi > ");
    EXPECT_EQ(line(model, ":PTIM:TIME:STR?"), "\"13:05:22\"\r\nscpi > ");
}

TEST(SimulatedReceiver, EchoesWhatItReceivesBeforeAnsweringWhileEchoIsOn) {
    auto model = makeModel();
    EXPECT_EQ(line(model, "syst:comm:ser:fdup 1"), "scpi > ");
    EXPECT_EQ(line(model, ":syst:comm:ser:fdup?"), ":syst:comm:ser:fdup?\r\n1\r\nscpi > ");
    // Each byte comes back as it arrives, the reply only once the line has ended.
    std::string echoed;
    for (const auto& t : model.receive("*id")) echoed += t.bytes;
    EXPECT_EQ(echoed, "*id");
    EXPECT_EQ(model.exchange("n?\r\n"), "n?\r\nMorvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser:fdup 0"), "syst:comm:ser:fdup 0\r\nscpi > ");
    EXPECT_EQ(line(model, "*opc?"), "1\r\nscpi > ");

    SimOptions echoing;
    echoing.echoAtStart = true;
    auto fromStart = makeModel(echoing);
    EXPECT_EQ(line(fromStart, ""), "\r\nscpi > ");
}

TEST(SimulatedReceiver, EchoOfTheOtherPortDoesNotEchoOnThisOne) {
    auto model = makeModel();
    EXPECT_EQ(line(model, "syst:comm:ser2:fdup 1"), "scpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser2:fdup?"), "1\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser:fdup?"), "0\r\nscpi > ");
}

TEST(SimulatedReceiver, QueuesErrorsOldestFirst) {
    auto model = makeModel();
    EXPECT_EQ(line(model, "syst:err?"), "0,\"No error\"\r\nscpi > ");
    line(model, "bogus");
    line(model, ":GPS:SAT:TRAC:EMAN");
    line(model, ":GPS:SAT:TRAC:EMAN?  x");
    EXPECT_EQ(line(model, "syst:err?"), "-113,\"Undefined header\"\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:err?"), "-109,\"Missing parameter\"\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:err?"), "-108,\"Parameter not allowed\"\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:err?"), "0,\"No error\"\r\nscpi > ");
    for (int i = 0; i < 40; ++i) line(model, "bogus");
    EXPECT_EQ(model.status().errors().size(), ErrorQueue::kCapacity);
    for (std::size_t i = 1; i < ErrorQueue::kCapacity; ++i) line(model, "syst:err?");
    EXPECT_EQ(line(model, "syst:err?"), "-350,\"Queue overflow\"\r\nscpi > ");
}

TEST(SimulatedReceiver, RemembersTheCatalogueSettingsAndReadsThemBack) {
    auto model = makeModel();
    const std::vector<std::pair<std::string, std::string>> settings{
        {":GPS:REF:ADEL 50 ns", ":GPS:REF:ADEL?"},
        {":GPS:SAT:TRAC:IGN 5,17", ":GPS:SAT:TRAC:IGN?"},
        {":GPS:INIT:DATE 2024,5,17", ":GPS:INIT:DATE?"},
        {":GPS:INIT:TIME 13,5,0", ":GPS:INIT:TIME?"},
        {":PTIM:TZON -5,30", ":PTIM:TZON?"},
        {":SENS:DATA:MEM:SAVE FIRST", ":SENS:DATA:MEM:SAVE?"},
        {":PULS:CONT:STAT ON", ":PULS:CONT:STAT?"},
        {":PULS:STAR:TIME 6,30,0", ":PULS:STAR:TIME?"},
        {":PULS:STAR:DATE 2025,1,2", ":PULS:STAR:DATE?"},
        {":PULS:CONT:PER 6", ":PULS:CONT:PER?"},
        {":GPS:POS N,37,19,32.124,W,121,59,51.872,71.12", ":GPS:POS?"},
    };
    const std::vector<std::string> expected{"+5.000E-08",
                                            "5,17",
                                            "2024,5,17",
                                            "13,5,0",
                                            "-5,30",
                                            "FIRS",
                                            "1",
                                            "6,30,0",
                                            "2025,1,2",
                                            "6",
                                            "N,+37,+19,+32.124,W,+121,+59,+51.872,+71.12"};
    for (std::size_t i = 0; i < settings.size(); ++i) {
        EXPECT_EQ(line(model, settings[i].first), "scpi > ") << settings[i].first;
        EXPECT_EQ(line(model, settings[i].second), expected[i] + "\r\nscpi > ") << settings[i].second;
    }
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:IGN :NONE"), "scpi > ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:IGN?"), "NONE\r\nscpi > ");
    EXPECT_EQ(line(model, ":PTIM:STR?"), "\"07:35:22\"\r\nscpi > ");  // local time, 5:30 behind UTC
}

TEST(SimulatedReceiver, AnswersEveryQueryOfTheCatalogue) {
    auto model = makeModel();
    for (const char* query : {"*IDN?",
                              ":GPS:REF:ADEL?",
                              ":GPS:SAT:TRAC:EMAN?",
                              ":DIAG:LOG:READ:ALL?",
                              ":GPS:POS:HOLD:LAST?",
                              ":GPS:SAT:TRAC:IGN?",
                              ":PTIM:TCOD?",
                              ":PTIM:DATE?",
                              ":PTIM:TIME?",
                              ":DIAG:ROSC:EFC:ABS?",
                              ":SYNC:TINT?",
                              ":PTIM:TZON?",
                              ":GPS:POS:SURV:STAT:POW?",
                              ":PTIM:LEAP:ACC?",
                              ":SENS:DATA:POIN? \"TST 2\"",
                              ":SENS:DATA:POIN?",
                              ":SENS:DATA:MEM:OVER:COUN? \"TST 3\"",
                              ":SENS:DATA:MEM:OVER:COUN?",
                              ":SENS:DATA:MEM:SAVE?",
                              ":PULS:CONT:STAT?",
                              ":PULS:STAR:TIME?",
                              ":PULS:STAR:DATE?",
                              ":PULS:CONT:PER?"}) {
        const std::string reply = line(model, query);
        EXPECT_GT(reply.size(), 9u) << query;
        EXPECT_EQ(reply.substr(reply.size() - 9), "\r\nscpi > ") << query;
    }
    EXPECT_EQ(line(model, ":SENS:DATA? \"TST 1\""), "scpi > ");  // nothing collected yet at this moment
    for (const char* command :
         {":GPS:INIT:POS N,37,19,32,W,121,59,51,70", ":GPS:POS SURV", ":GPS:POS LAST", ":GPS:POS:SURV ONCE",
          ":SYNC:HOLD:INIT", ":SYNC:HOLD:REC:INIT", ":SYNC:IMM", ":DIAG:LOG:CLE", ":SENS:DATA:CLEAR",
          ":SENS:DATA:CLEAR \"tst 2\"", ":GPS:POS:SURV:STAT:POW 1"})
        EXPECT_EQ(line(model, command), "scpi > ") << command;
    EXPECT_EQ(line(model, ":DIAG:LOG:READ:ALL?"), "Log status: 0 of 256 entries\r\nscpi > ");
}

TEST(SimulatedReceiver, KnowsTheTimestampCommandsOnlyAsModel73408K) {
    SimOptions other;
    other.identity.model = "Fennomir-6";
    auto model = makeModel(other);
    EXPECT_EQ(line(model, "*idn?"), "Morvandelle,Fennomir-6,MDL-26-00417,R7.c\r\nscpi > ");
    EXPECT_EQ(line(model, ":PULS:CONT:PER?"), "E-113> ");
    EXPECT_EQ(line(model, ":SENS:DATA:POIN?"), "E-113> ");
    EXPECT_EQ(line(model, ":GPS:SAT:TRAC:EMAN?"), "10\r\nscpi > ");
}

TEST(SimulatedReceiver, StatusScreenHasTheCannedLayoutWithLiveTimeAndMovingSatellites) {
    TimePoint now = fixedMoment();
    ReceiverModel model({}, [&now] { return now; });
    const std::string reply = line(model, ":syst:prin?");
    ASSERT_EQ(reply.substr(reply.size() - 9), "\r\nscpi > ");
    std::vector<std::string> lines;
    std::string text = reply.substr(0, reply.size() - 9);
    for (std::size_t start = 0;;) {
        const auto end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[0], "-------------------------------- Receiver Status -------------------------------");
    EXPECT_EQ(lines[1], std::string(80, ' '));
    for (std::size_t i = 2; i < 23; ++i) EXPECT_EQ(lines[i].size(), 79u) << "line " << i + 1 << ": " << lines[i];
    EXPECT_EQ(lines[2], "SYNCHRONIZATION ............................................. [ Outputs Valid ]");
    EXPECT_EQ(lines[12].substr(46), "UTC      13:05:22     17 May 2024");
    EXPECT_EQ(lines[13], "PRN  El  Az   SS   PRN  El  Az                1PPS CLK Synchronized to UTC     ");
    EXPECT_EQ(lines[14].substr(46), "ANT DLY  250 ns                  ");
    EXPECT_EQ(lines[21], "HEALTH MONITOR ......................................................... [ OK ]");

    const std::string satellites = text.substr(text.find("Tracking:"), 600);
    now += std::chrono::hours{2};
    const std::string later = line(model, ":syst:prin?");
    EXPECT_NE(later.substr(later.find("Tracking:"), 600), satellites);
}

TEST(SimulatedReceiver, ManualHoldoverShowsOnTheScreenAndInTheHoldRegister) {
    auto model = makeModel();
    line(model, ":SYNC:HOLD:INIT");
    EXPECT_NE(line(model, ":syst:prin?").find(">> Holdover"), std::string::npos);
    EXPECT_EQ(line(model, ":stat:oper:hold:cond?"), "1\r\nscpi > ");
    line(model, ":SYNC:HOLD:REC:INIT");
    EXPECT_EQ(line(model, ":stat:oper:hold:cond?"), "4\r\nscpi > ");
    EXPECT_EQ(line(model, ":stat:oper:hold:even?"), "5\r\nscpi > ");
}

}  // namespace
}  // namespace kestrix::sim
