// The simulated receiver's firmware path: boot language, erasing, and checking and storing
// S-records.

#include <gtest/gtest.h>

#include "receiver-sim/receiver_model.h"
#include "receiver-sim/srecord.h"
#include "sim_srecord_support.h"

namespace kestrix::sim {
namespace {

using testing::firmwareRecords;
using testing::makeRecord;

std::string line(ReceiverModel& model, const std::string& command) { return model.exchange(command + "\r\n"); }

ReceiverModel bootedAndErased() {
    SimOptions options;
    options.eraseTime = std::chrono::milliseconds{0};
    ReceiverModel model(options);
    line(model, "syst:lang \"install\"");
    line(model, "diag:eras");
    return model;
}

TEST(SRecordCheck, AcceptsWellFormedRecordsOfEveryType) {
    for (const std::string& text :
         {makeRecord('0', 0, {'H', 'D'}), makeRecord('1', 0x1234, {1, 2, 3}), makeRecord('2', 0x123456, {0xFF}),
          makeRecord('3', 0x12345678, {}), makeRecord('5', 3, {}), makeRecord('7', 0x100, {}),
          makeRecord('8', 0x100, {}), makeRecord('9', 0x100, {}), std::string("S00600004844521B")}) {
        const auto checked = checkSRecord(text);
        ASSERT_TRUE(std::holds_alternative<SRecord>(checked)) << text;
        EXPECT_EQ(std::get<SRecord>(checked).text, text);
    }
    EXPECT_EQ(std::get<SRecord>(checkSRecord(makeRecord('2', 0x123456, {0xFF}))).address, 0x123456u);
}

TEST(SRecordCheck, RefusesBadSyntaxLengthAndChecksum) {
    const std::string good = makeRecord('1', 0x0010, {0xDE, 0xAD, 0xBE, 0xEF});
    auto fault = [](const std::string& text) {
        const auto checked = checkSRecord(text);
        return std::holds_alternative<SRecordFault>(checked) ? std::get<SRecordFault>(checked)
                                                             : static_cast<SRecordFault>(-1);
    };
    EXPECT_EQ(fault("X" + good.substr(1)), SRecordFault::Syntax);
    EXPECT_EQ(fault("S4" + good.substr(2)), SRecordFault::Syntax);  // reserved type
    EXPECT_EQ(fault(good.substr(0, 6) + "G" + good.substr(7)), SRecordFault::Syntax);
    EXPECT_EQ(fault(good.substr(0, good.size() - 1)), SRecordFault::Syntax);  // odd digit count
    EXPECT_EQ(fault(""), SRecordFault::Syntax);
    EXPECT_EQ(fault(good.substr(0, good.size() - 2)), SRecordFault::Length);  // a byte short
    EXPECT_EQ(fault("S1020000FD"), SRecordFault::Length);                     // no room for the address
    std::string badSum = good;
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    EXPECT_EQ(fault(badSum), SRecordFault::Checksum);
    std::string badData = good;
    badData[9] = badData[9] == '0' ? '1' : '0';
    EXPECT_EQ(fault(badData), SRecordFault::Checksum);
}

TEST(SimulatedDownload, RunsThePreparationCommandsAndStoresTheRecords) {
    ReceiverModel model;
    EXPECT_EQ(line(model, "syst:comm?"), "1\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser:baud?"), "9600\r\nscpi > ");
    EXPECT_EQ(line(model, "diag:down \"S00600004844521B\""), "E-113> ");  // unknown outside the boot code
    EXPECT_EQ(line(model, "syst:lang \"install\""), "scpi > ");
    EXPECT_EQ(line(model, "syst:lang?"), "\"INSTALL\"\r\nscpi > ");
    EXPECT_EQ(line(model, ":syst:prin?"), "E-113> ");                     // the boot code has no status screen
    EXPECT_EQ(line(model, "diag:down \"S00600004844521B\""), "E-221> ");  // not erased yet

    SimOptions fast = model.options();
    fast.eraseTime = std::chrono::milliseconds{1500};
    model.setOptions(fast);
    const auto erase = model.receive("diag:eras\r\n");
    ASSERT_EQ(erase.size(), 1u);
    EXPECT_EQ(erase[0].bytes, "scpi > ");
    EXPECT_EQ(erase[0].delay, std::chrono::milliseconds{1500});

    const auto records = firmwareRecords(5);
    for (const auto& record : records) EXPECT_EQ(line(model, "diag:down \"" + record + "\""), "scpi > ");
    EXPECT_EQ(model.flash().storedRecords(), records);
    EXPECT_EQ(line(model, ":SYST:LANG \"PRIMARY\""), "scpi > ");
    EXPECT_EQ(line(model, "*idn?"), "Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
    EXPECT_EQ(model.flash().storedRecords(), records);
}

TEST(SimulatedDownload, RefusesBadRecordsWithAnErrorPromptAndKeepsThemOut) {
    auto model = bootedAndErased();
    const auto records = firmwareRecords(3);
    std::string corrupted = records[2];
    corrupted[10] = corrupted[10] == 'A' ? 'B' : 'A';
    EXPECT_EQ(line(model, "diag:down \"" + records[0] + "\""), "scpi > ");
    EXPECT_EQ(line(model, "diag:down \"" + records[1] + "\""), "scpi > ");
    EXPECT_EQ(line(model, "diag:down \"" + corrupted + "\""), "E-224> ");
    EXPECT_EQ(line(model, "syst:err?"), "-224,\"Illegal parameter value;S-record checksum\"\r\nscpi > ");
    EXPECT_EQ(line(model, "diag:down " + records[2]), "E-104> ");  // without its quotes
    EXPECT_EQ(line(model, "diag:down \"" + records[2].substr(0, 8) + "\""), "E-224> ");
    EXPECT_EQ(line(model, "syst:err?"), "-104,\"Data type error\"\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:err?"), "-224,\"Illegal parameter value;S-record length\"\r\nscpi > ");
    EXPECT_EQ(model.flash().storedRecords(), std::vector<std::string>(records.begin(), records.begin() + 2));
}

TEST(SimulatedDownload, APacketSentAgainLeavesTheRecordsInFileOrder) {
    auto model = bootedAndErased();
    const auto records = firmwareRecords(6);
    std::string packet1, packet2;
    for (std::size_t i = 0; i < 4; ++i) packet1 += "diag:down \"" + records[i] + "\"\r\n";
    for (std::size_t i = 4; i < records.size(); ++i) packet2 += "diag:down \"" + records[i] + "\"\r\n";
    model.exchange(packet1);
    model.exchange(packet1);  // re-sent after an error elsewhere in it
    model.exchange(packet2);
    EXPECT_EQ(model.flash().storedRecords(), records);
    EXPECT_EQ(model.flash().receivedRecords().size(), records.size() + 4);
}

TEST(SimulatedDownload, ChangesItsSpeedOnlyAfterThePromptOfTheSpeedCommand) {
    ReceiverModel model;
    const auto replies = model.receive("syst:comm:ser:baud 19200\r\n");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, "scpi > ");
    EXPECT_EQ(replies[0].line.baud, 9600);
    EXPECT_EQ(model.line().baud, 19200);
    EXPECT_EQ(line(model, "syst:comm:ser:baud?"), "19200\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser:baud 12345"), "E-222> ");
    EXPECT_EQ(line(model, "syst:comm:ser2:baud 4800"), "scpi > ");  // the other port
    EXPECT_EQ(model.line().baud, 19200);
}

TEST(SimulatedDownload, ReportsTheSecondPortWhenItTalksOnIt) {
    SimOptions options;
    options.serialPort = 2;
    options.echoAtStart = true;
    ReceiverModel model(options);
    EXPECT_EQ(line(model, "syst:comm?"), "syst:comm?\r\n2\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser2:fdup 0"), "syst:comm:ser2:fdup 0\r\nscpi > ");
    EXPECT_EQ(line(model, "syst:comm:ser:fdup?"), "0\r\nscpi > ");
}

}  // namespace
}  // namespace kestrix::sim
