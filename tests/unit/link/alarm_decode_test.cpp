#include "link/alarm_decode.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrix {
namespace {

TEST(BitPattern, ShowsTheRegisterInItsWidth) {
    EXPECT_EQ(bitPattern(5, 4), "0101");
    EXPECT_EQ(bitPattern(0, 13), "0000000000000");
    EXPECT_EQ(bitPattern(255, 8), "11111111");
}

TEST(BitPattern, AValueTooWideForItsPatternShowsItsLowBitsAndItsDecimalValue) {
    EXPECT_EQ(bitPattern(128, 7), "0000000 (= 128)");  // "*ESR?" with its power-on bit
    EXPECT_EQ(bitPattern(130, 7), "0000010 (= 130)");
    EXPECT_EQ(bitPattern(16, 4), "0000 (= 16)");
    EXPECT_EQ(bitPattern(70000, 13), "1000101110000 (= 70000)");  // beyond 16 bits, not wrapped
    EXPECT_EQ(bitPattern(-1, 4), "1111 (= -1)");
    EXPECT_EQ(bitPattern(15, 4), "1111");
}

TEST(RegisterValue, ReadsTheLeadingNumberRoundedHalfToEven) {
    EXPECT_EQ(registerValue("+12\r\n"), 12);
    EXPECT_EQ(registerValue("2.5"), 2);
    EXPECT_EQ(registerValue("3.5"), 4);
    EXPECT_EQ(registerValue("abc"), 0);
    EXPECT_EQ(registerValue("70000"), 70000);  // kept as it came, not wrapped to 16 bits
    EXPECT_EQ(registerValue("-3"), -3);
    EXPECT_EQ(registerValue("99999999999999999999"), std::numeric_limits<RegisterValue>::max());
}

AlarmQueryValues quiet() { return AlarmQueryValues{}; }

TEST(AlarmDecode, NothingEnabledMeansNone) {
    AlarmQueryValues v = quiet();
    v[2] = 255;  // every summary set in the status byte, none enabled
    EXPECT_EQ(decodeAlarmCauses(v), "None ");
}

TEST(AlarmDecode, HardwareCausesUnderTheOperationSummaryWithTransitionMarks) {
    AlarmQueryValues v = quiet();
    v[1] = 128;      // *sre?: operation summary enabled
    v[2] = 128;      // *stb?
    v[7] = 32 | 2;   // operation enable: hardware summary, locked operation
    v[8] = 32 | 2;   // operation event
    v[16] = 2;       // operation positive filter on bit 1
    v[13] = 1 << 9;  // hardware enable: GPS Failure
    v[14] = (1 << 9) | 1;
    v[18] = 1 << 9;  // hardware positive filter
    v[17] = 1 << 9;  // hardware negative filter
    EXPECT_EQ(decodeAlarmCauses(v),
              "\r\nOPERATION SUMMARY:"
              "\r\n    HARDWARE SUMMARY:"
              "\r\n        GPS Failure+-"
              "\r\n     Locked Operation+");
}

TEST(AlarmDecode, StandardEventAndQuestionableSummaries) {
    AlarmQueryValues v = quiet();
    v[1] = 32 | 8;
    v[2] = 32 | 8;
    v[5] = 0xFF;
    v[6] = 32 | 64;  // command error, and bit 6 which has no name
    v[3] = 2;
    v[4] = 2;
    v[23] = 2;
    EXPECT_EQ(decodeAlarmCauses(v),
              "\r\nSTANDARD EVENT SUMMARY:"
              "\r\n     "
              "\r\n     Command Error"
              "\r\nQUESTIONABLE SUMMARY:"
              "\r\n     Customer Set Alarm-");
}

TEST(AlarmDecode, BitsWithoutANameStillGiveTheirLineAndTheDecodeGoesOn) {
    AlarmQueryValues v = quiet();
    v[1] = v[2] = 128 | 8;
    v[7] = v[8] = 32;               // hardware summary
    v[13] = v[14] = (1 << 13) | 1;  // hardware bit 13 has an empty name; selftest failure
    v[3] = v[4] = 8 | 1;            // questionable bit 3 lies beyond the names; time has been reset
    v[24] = 8;
    EXPECT_EQ(decodeAlarmCauses(v),
              "\r\nOPERATION SUMMARY:"
              "\r\n    HARDWARE SUMMARY:"
              "\r\n        "
              "\r\n        Selftest Failure"
              "\r\nQUESTIONABLE SUMMARY:"
              "\r\n     (bit 3)+"
              "\r\n     Time has been Reset");
}

}  // namespace
}  // namespace kestrix
