#include "config/ports.h"

#include <gtest/gtest.h>

#include "platform/memory_profile.h"

namespace kestrix::config {
namespace {

TEST(ComPortPaths, DefaultToTheFirstFourSerialDevices) {
    platform::MemoryProfile profile;
    const std::array<std::string, 4> expected{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
    EXPECT_EQ(comPortPaths(profile), expected);
}

TEST(ComPortPaths, TakeEachPortFromThePortsSection) {
    platform::MemoryProfile profile(
        "[Communications]\r\nCom2=/dev/wrong\r\n"
        "[ports]\r\ncom2 = /dev/ttyUSB0\r\nCom3=\r\nCom4=\"/dev/serial/by-id/usb-Serial_Adapter_A1-if00-port0\"\r\n");
    const std::array<std::string, 4> expected{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyS2",
                                              "/dev/serial/by-id/usb-Serial_Adapter_A1-if00-port0"};
    EXPECT_EQ(comPortPaths(profile), expected);
    EXPECT_EQ(profile.writes, 0);
}

TEST(ComPortPaths, AreReadWholeHoweverLong) {
    // A cut path would name another device, or none.
    const std::string longPath = "/dev/serial/by-path/" + std::string(300, 'x');
    platform::MemoryProfile profile("[Ports]\nCom1=" + longPath + "\n");
    EXPECT_EQ(comPortPaths(profile)[0], longPath);
}

}  // namespace
}  // namespace kestrix::config
