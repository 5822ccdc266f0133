#include "download/firmware_file.h"

#include <gtest/gtest.h>

#include "download_rig.h"

namespace kestrix {
namespace {

using testing::fileOf;
using testing::firmware;
using testing::sRecord;

std::vector<std::string> recordsOf(const std::string& file) {
    auto checked = checkFirmwareFile(file);
    if (auto* fault = std::get_if<FirmwareFault>(&checked)) {
        ADD_FAILURE() << describe(*fault);
        return {};
    }
    return std::get<FirmwareImage>(checked).records;
}

FirmwareFault faultOf(const std::string& file) {
    auto checked = checkFirmwareFile(file);
    if (auto* fault = std::get_if<FirmwareFault>(&checked)) return *fault;
    ADD_FAILURE() << "the file was accepted";
    return {};
}

TEST(FirmwareFileCheck, ReadsRecordsOfAnyLengthByTheirLineEnds) {
    // A header, data records of three lengths, a count and a start record, as tools write them.
    const std::vector<std::string> records{sRecord('0', 0, 6),  sRecord('1', 0, 32), sRecord('1', 32, 32),
                                           sRecord('1', 64, 5), sRecord('5', 3, 0),  sRecord('9', 0, 0)};
    for (const std::string end : {"\r\n", "\n", "\r"}) EXPECT_EQ(recordsOf(fileOf(records, end)), records);
    std::string noFinalLineEnd = fileOf(records);
    noFinalLineEnd.resize(noFinalLineEnd.size() - 2);
    EXPECT_EQ(recordsOf(noFinalLineEnd), records);
    EXPECT_EQ(recordsOf("\r\n" + fileOf(records, "\r\n\r\n")), records);  // empty lines are no records

    auto image = std::get<FirmwareImage>(checkFirmwareFile(fileOf(records)));
    EXPECT_EQ(image.dataRecords, 3u);
    const std::string lowerCase = "s00600004844521b";
    EXPECT_EQ(faultOf(lowerCase).line, 1u);  // the "S" is upper case in every S-record
}

TEST(FirmwareFileCheck, NamesTheFirstBadLineAndItsReason) {
    const auto good = firmware(4);
    auto withLine3 = [&](const std::string& replacement) {
        auto records = good;
        records[2] = replacement;
        return faultOf(fileOf(records));
    };
    std::string badSum = good[2];
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    FirmwareFault fault = withLine3(badSum);
    EXPECT_EQ(fault.line, 3u);
    EXPECT_NE(fault.reason.find("checksum"), std::string::npos) << fault.reason;
    EXPECT_EQ(describe(fault).substr(0, 8), "line 3: ");

    EXPECT_NE(withLine3(good[2].substr(0, good[2].size() - 2)).reason.find("byte count"), std::string::npos);
    EXPECT_NE(withLine3("S4" + good[2].substr(2)).reason.find("record type"), std::string::npos);
    EXPECT_NE(withLine3(good[2].substr(0, 9) + "G" + good[2].substr(10)).reason.find("character 10 is \"G\""),
              std::string::npos);
    EXPECT_NE(withLine3(good[2] + "0").reason.find("odd number"), std::string::npos);
    EXPECT_NE(withLine3("X" + good[2]).reason.find("does not start"), std::string::npos);
    EXPECT_NE(withLine3(good[2] + " ").reason.find("the byte 20"), std::string::npos);
    EXPECT_NE(withLine3("S10200FD").reason.find("too short"), std::string::npos);
    // Only the first bad line is named.
    auto twoBad = good;
    twoBad[1] = "junk";
    twoBad[3] = "more junk";
    EXPECT_EQ(faultOf(fileOf(twoBad)).line, 2u);
}

TEST(FirmwareFileCheck, RefusesFilesWithoutDataRecords) {
    EXPECT_EQ(describe(faultOf("")), "the file is empty");
    EXPECT_EQ(faultOf("\r\n\r\n").line, 0u);
    EXPECT_NE(faultOf(fileOf({sRecord('0', 0, 4), sRecord('9', 0, 0)})).reason.find("no data record"),
              std::string::npos);
    EXPECT_EQ(recordsOf(sRecord('1', 0)).size(), 1u);  // one record without a line end is a file
}

TEST(MinutesText, ShowsOneDecimalWithoutLeadingOrTrailingZeros) {
    EXPECT_EQ(minutesText(12.34), "12.3");
    EXPECT_EQ(minutesText(12.02), "12.");
    EXPECT_EQ(minutesText(0.46), ".5");
    EXPECT_EQ(minutesText(0.0), ".");
    EXPECT_EQ(minutesText(1234.56), "1234.6");
}

}  // namespace
}  // namespace kestrix
