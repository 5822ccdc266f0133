// The simulated receiver's SCPI status system: latching through the transition filters,
// clearing on reading, and the summaries of the status byte.

#include <gtest/gtest.h>

#include "receiver-sim/receiver_model.h"
#include "receiver-sim/status_system.h"

namespace kestrix::sim {
namespace {

std::string value(ReceiverModel& model, const std::string& query) {
    const std::string reply = model.exchange(query + "\r\n");
    const auto end = reply.find("\r\n");
    return end == std::string::npos ? "error: " + reply : reply.substr(0, end);
}

ReceiverModel quietModel() {
    ReceiverModel model;
    model.exchange("*cls\r\n");  // forget the power-on events
    return model;
}

TEST(SimulatedStatusSystem, ConditionChangesLatchEventsThroughTheTransitionFilters) {
    StatusSystem status;
    status.setPositiveTransitions(StatusRegister::Questionable, 0x1);
    status.setNegativeTransitions(StatusRegister::Questionable, 0x2);
    status.setCondition(StatusRegister::Questionable, 0x3);  // both rise; only bit 0 passes
    EXPECT_EQ(status.event(StatusRegister::Questionable), 0x1);
    status.setCondition(StatusRegister::Questionable, 0x0);  // both fall; only bit 1 passes
    EXPECT_EQ(status.event(StatusRegister::Questionable), 0x3);
    EXPECT_EQ(status.readEvent(StatusRegister::Questionable), 0x3);
    EXPECT_EQ(status.readEvent(StatusRegister::Questionable), 0x0);
    status.setCondition(StatusRegister::Questionable, 0x2);  // rises, but not through the filter
    EXPECT_EQ(status.event(StatusRegister::Questionable), 0x0);
}

TEST(SimulatedStatusSystem, SubRegisterEventsSummariseIntoTheOperationRegisterAndTheStatusByte) {
    auto model = quietModel();
    model.status().setConditionBits(StatusRegister::Hardware, 1u << 8, true);  // GPS 1PPS failure
    EXPECT_EQ(value(model, ":stat:oper:hard:cond?"), "256");
    EXPECT_EQ(value(model, "*stb?"), "0");  // nothing enabled yet
    EXPECT_EQ(model.exchange(":stat:oper:hard:enab 256\r\n"), "scpi > ");
    EXPECT_EQ(value(model, ":stat:oper:cond?"), "58");  // hardware summary bit 5 joins locked, hold, satellites
    EXPECT_EQ(value(model, "*stb?"), "0");              // the operation register itself is not enabled
    EXPECT_EQ(model.exchange(":stat:oper:enab 32\r\n"), "scpi > ");
    EXPECT_EQ(value(model, "*stb?"), "128");
    model.exchange("*sre 128\r\n");
    EXPECT_EQ(value(model, "*stb?"), "192");  // and a service request
    EXPECT_EQ(value(model, "*sre?"), "128");

    // Reading the hardware events ends the hardware summary; the operation event stays latched.
    EXPECT_EQ(value(model, ":stat:oper:hard:even?"), "256");
    EXPECT_EQ(value(model, ":stat:oper:cond?"), "26");
    EXPECT_EQ(value(model, "*stb?"), "192");
    EXPECT_EQ(value(model, ":stat:oper?"), "32");
    EXPECT_EQ(value(model, "*stb?"), "0");
}

TEST(SimulatedStatusSystem, PowerUpAndHoldSummariesUseTheirOwnBits) {
    auto model = quietModel();
    model.exchange(":stat:oper:pow:enab 7\r\n:stat:oper:hold:enab 15\r\n:stat:oper:enab 5\r\n");
    model.status().setCondition(StatusRegister::PowerUp, 0);
    model.status().setCondition(StatusRegister::PowerUp, 2);
    EXPECT_EQ(value(model, ":stat:oper:even?"), "1");
    model.status().setConditionBits(StatusRegister::Hold, 1u << 3, true);
    EXPECT_EQ(value(model, ":stat:oper:cond?"), "31");
    EXPECT_EQ(value(model, "*stb?"), "128");
}

TEST(SimulatedStatusSystem, CommandErrorsSetTheStandardEventRegisterWhichClearsOnReading) {
    auto model = quietModel();
    EXPECT_EQ(value(model, "*esr?"), "0");
    model.exchange("nonsense\r\n");
    EXPECT_EQ(value(model, "*stb?"), "4");  // an error is queued
    model.exchange("*ese 48\r\n");
    EXPECT_EQ(value(model, "*stb?"), "36");
    EXPECT_EQ(value(model, "*esr?"), "32");
    EXPECT_EQ(value(model, "*esr?"), "0");
    model.exchange(":GPS:SAT:TRAC:EMAN 200\r\n");
    EXPECT_EQ(value(model, "*esr?"), "16");  // out of range is an execution error
    EXPECT_EQ(value(model, "*ese?"), "48");
}

TEST(SimulatedStatusSystem, ClearStatusEmptiesEventsAndErrorsButKeepsConditionsAndMasks) {
    ReceiverModel model;
    EXPECT_EQ(value(model, "*esr?"), "128");  // power on
    model.exchange(":stat:ques:enab 3\r\n:stat:ques:ptr 3\r\n:stat:ques:ntr 1\r\nbogus\r\n");
    model.status().setCondition(StatusRegister::Questionable, 2);
    EXPECT_EQ(value(model, "*stb?"), "12");
    model.exchange("*cls\r\n");
    EXPECT_EQ(value(model, "*stb?"), "0");
    EXPECT_EQ(value(model, ":stat:ques:even?"), "0");
    EXPECT_EQ(value(model, "syst:err?"), "0,\"No error\"");
    EXPECT_EQ(value(model, ":stat:ques:cond?"), "2");
    EXPECT_EQ(value(model, ":stat:ques:enab?"), "3");
    EXPECT_EQ(value(model, ":stat:ques:ntr?"), "1");
    EXPECT_EQ(value(model, ":stat:oper:pow:ptr?"), "32767");
    model.exchange(":stat:pres\r\n");
    EXPECT_EQ(value(model, ":stat:ques:enab?"), "0");
    EXPECT_EQ(value(model, ":stat:ques:ptr?"), "32767");
}

TEST(SimulatedStatusSystem, RefusesRegisterValuesOutOfRange) {
    auto model = quietModel();
    EXPECT_EQ(model.exchange(":stat:oper:enab 40000\r\n"), "E-222> ");
    EXPECT_EQ(model.exchange(":stat:oper:enab lots\r\n"), "E-104> ");
    EXPECT_EQ(model.exchange("*sre 256\r\n"), "E-222> ");
    EXPECT_EQ(model.exchange(":stat:oper:enab #H20\r\n"), "scpi > ");
    EXPECT_EQ(value(model, ":stat:oper:enab?"), "32");
}

TEST(SimulatedStatusSystem, AReceiverPoweredUpWithAFaultIsInAlarm) {
    SimOptions options;
    options.alarmOnFaults = true;
    options.hardwareFaults = 1u << 9;
    ReceiverModel model(options);
    EXPECT_EQ(value(model, ":stat:oper:hard:cond?"), "512");
    EXPECT_EQ(value(model, "*sre?"), "136");
    EXPECT_EQ(value(model, "*stb?"), "192");  // operation summary, and the service request
    EXPECT_NE(model.exchange(":syst:prin?\r\n").find("[ ALARM ]"), std::string::npos);
    EXPECT_NE(model.exchange(":diag:log:read:all?\r\n").find("Hardware fault: GPS receiver failure"),
              std::string::npos);

    // Mended: the condition falls, and the negative filter (clear at power-on) latches nothing.
    EXPECT_EQ(value(model, ":stat:oper:hard:even?"), "512");
    options = model.options();
    EXPECT_EQ(options.hardwareFaults, 1u << 9);
    options.hardwareFaults = 0;
    model.setOptions(options);
    EXPECT_EQ(value(model, ":stat:oper:hard:cond?"), "0");
    EXPECT_EQ(value(model, ":stat:oper:hard:even?"), "0");
    EXPECT_NE(model.exchange(":diag:log:read:all?\r\n").find("Hardware fault cleared: GPS receiver failure"),
              std::string::npos);
    EXPECT_NE(model.exchange(":syst:prin?\r\n").find("[ OK ]"), std::string::npos);
}

TEST(SimulatedStatusSystem, AnswersEveryStatusGroupQueryWithANumber) {
    ReceiverModel model;
    std::vector<std::string> queries{"*sre?", "*stb?", "*ese?", "*esr?"};
    for (const char* set : {":stat:oper", ":stat:oper:hold", ":stat:oper:hard", ":stat:oper:pow", ":stat:ques",
                            ":STAT:OPER", ":STAT:OPER:HOLD", ":STAT:OPER:HARD", ":STAT:OPER:POW", ":STAT:QUES"})
        for (const char* kind : {":cond?", ":even?", ":enab?", ":ptr?", ":ntr?"})
            queries.push_back(std::string(set) + kind);
    for (const auto& query : queries) {
        const std::string reply = value(model, query);
        EXPECT_FALSE(reply.empty()) << query;
        EXPECT_EQ(reply.find_first_not_of("0123456789"), std::string::npos) << query << " -> " << reply;
    }
}

}  // namespace
}  // namespace kestrix::sim
