#include "platform/posix_line_settings.h"

#include <gtest/gtest.h>

namespace kestrix::platform {
namespace {

termios cookedLine() {
    termios line{};
    line.c_iflag = ICRNL | IXON | BRKINT | ISTRIP | INPCK;
    line.c_oflag = OPOST | ONLCR;
    line.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    line.c_cflag = CS8 | PARENB | CSTOPB | CRTSCTS | HUPCL;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 5;
    return line;
}

tcflag_t parityOf(const termios& line) { return line.c_cflag & (PARENB | PARODD | CMSPAR); }

TEST(LineSettings, MakeTheLineRawAndEightBitClean) {
    termios line = cookedLine();
    applyLineSettings(line, parseSerialSettings("9600,n,8,1"), handshake::none);
    EXPECT_EQ(line.c_iflag & (ICRNL | IXON | IXOFF | BRKINT | ISTRIP | INPCK), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(line.c_cflag & HUPCL, HUPCL);  // left as the driver had it
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);
}

TEST(LineSettings, CarryFramingAndParityIncludingMarkAndSpace) {
    struct Case {
        const char* settings;
        tcflag_t size, parity, stop;
    };
    const Case cases[] = {
        {"9600,n,8,1", CS8, 0, 0},
        {"9600,o,7,1", CS7, PARENB | PARODD, 0},
        {"9600,e,7,2", CS7, PARENB, CSTOPB},
        {"9600,m,7,1", CS7, PARENB | PARODD | CMSPAR, 0},
        {"9600,s,8,2", CS8, PARENB | CMSPAR, CSTOPB},
    };
    for (const auto& c : cases) {
        termios line = cookedLine();
        applyLineSettings(line, parseSerialSettings(c.settings), handshake::none);
        EXPECT_EQ(line.c_cflag & CSIZE, c.size) << c.settings;
        EXPECT_EQ(parityOf(line), c.parity) << c.settings;
        EXPECT_EQ(line.c_cflag & CSTOPB, c.stop) << c.settings;
    }
}

TEST(LineSettings, HandshakingChoosesSoftwareHardwareOrBothFlowControl) {
    const struct {
        int handshaking;
        tcflag_t input, control;
    } cases[] = {{handshake::none, 0, 0},
                 {handshake::xonXoff, IXON | IXOFF, 0},
                 {handshake::rtsCts, 0, CRTSCTS},
                 {handshake::both, IXON | IXOFF, CRTSCTS}};
    for (const auto& c : cases) {
        termios line = cookedLine();
        applyLineSettings(line, SerialSettings{}, c.handshaking);
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), c.input) << c.handshaking;
        EXPECT_EQ(line.c_cflag & CRTSCTS, c.control) << c.handshaking;
        EXPECT_EQ(line.c_cc[VSTART], 0x11);
        EXPECT_EQ(line.c_cc[VSTOP], 0x13);
    }
}

TEST(LineSettings, EveryAcceptedBaudRateButOneHasATermiosSpeed) {
    for (int baud : {110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        EXPECT_NE(standardSpeed(baud), B0) << baud;
    EXPECT_EQ(standardSpeed(14400), B0);  // set through the driver's arbitrary-rate interface
    EXPECT_EQ(standardSpeed(19200), B19200);
}

}  // namespace
}  // namespace kestrix::platform
