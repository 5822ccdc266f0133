#include "platform/posix_open_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace kestrix::platform {
namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(OpenErrors, CarryThePortTheDeviceAndTheSystemsDescription) {
    const auto text = openFailureText("COM2", "/dev/ttyS1", ENOENT);
    EXPECT_TRUE(contains(text, "COM2")) << text;
    EXPECT_TRUE(contains(text, "/dev/ttyS1")) << text;
    EXPECT_TRUE(contains(text, std::strerror(ENOENT))) << text;
}

TEST(OpenErrors, APermissionRefusalSaysWhichGroupToJoin) {
    for (int error : {EACCES, EPERM}) {
        const auto text = openFailureText("COM1", "/dev/kestrix-absent-device", error);
        EXPECT_TRUE(contains(text, std::strerror(error))) << text;
        EXPECT_TRUE(contains(text, "\"dialout\"")) << text;
        EXPECT_TRUE(contains(text, "adduser")) << text;
    }
}

TEST(OpenErrors, ABusyDeviceIsInUseByAnotherProgram) {
    const auto text = openFailureText("COM1", "/dev/ttyUSB0", EBUSY);
    EXPECT_EQ(text, portBusyText("COM1", "/dev/ttyUSB0"));
    EXPECT_TRUE(contains(text, "COM1 (/dev/ttyUSB0) is in use by another program")) << text;
}

}  // namespace
}  // namespace kestrix::platform
