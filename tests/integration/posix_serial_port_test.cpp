#include "platform/posix_serial_port.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "platform/posix_custom_speed.h"

namespace kestrix::platform {
namespace {

using namespace std::chrono_literals;

template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A pseudo-terminal: the port opens the slave side by its path, the test plays the device on the
// master side.
class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error(std::strerror(errno));
        path_ = name;
        termios raw{};
        tcgetattr(master_, &raw);
        cfmakeraw(&raw);
        tcsetattr(master_, TCSANOW, &raw);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() {
        closeMaster();
        ::close(slave_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& path() const { return path_; }
    // The line settings of the device as the port left them.
    termios line() const {
        termios t{};
        tcgetattr(slave_, &t);
        return t;
    }
    LineSpeeds speeds() const { return lineSpeeds(slave_); }

    // Writes what the device takes now; returns how much that was.
    std::size_t send(std::string_view bytes) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    std::string receiveWaiting() {
        std::string got;
        char chunk[8192];
        for (ssize_t n; (n = ::read(master_, chunk, sizeof chunk)) > 0;) got.append(chunk, static_cast<std::size_t>(n));
        return got;
    }
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

std::string everyByteValue(int times) {
    std::string bytes;
    for (int t = 0; t < times; ++t)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class PosixSerialPortTest : public ::testing::Test {
protected:
    PosixSerialPortTest() : port([this](int) { return pty.path(); }) {
        port.onComm = [this] { events.push_back(port.commEvent()); };
    }

    // Services the port while the device reads, until `count` bytes have arrived.
    std::string receiveAtDevice(std::size_t count) {
        std::string got;
        eventually([&] {
            port.service();
            got += pty.receiveWaiting();
            return got.size() >= count;
        });
        return got;
    }
    // Sends everything from the device while the port reads, then takes what the port holds.
    std::string sendToPort(const std::string& bytes) {
        std::size_t sent = 0;
        std::string got;
        eventually([&] {
            sent += pty.send(std::string_view(bytes).substr(sent));
            got += port.input();
            return got.size() >= bytes.size();
        });
        return got;
    }

    PseudoTerminal pty;
    PosixSerialPort port;
    std::vector<int> events;
};

// A pseudo-terminal always reports eight data bits without parity, so data bits and the parity
// enable are checked on the termios the port builds (unit tests), the rest here on the device.
TEST_F(PosixSerialPortTest, SettingsAreReadBackNormalisedAndAppliedToTheOpenLineAtOnce) {
    port.setSettings(" 19200,O, 7, 2");
    EXPECT_EQ(port.settings(), "19200,o,7,2");
    port.setHandshaking(3);
    port.setPortOpen(true);
    termios line = pty.line();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
    EXPECT_EQ(line.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS), PARODD | CSTOPB | CRTSCTS);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL), IXON | IXOFF);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);

    port.setSettings("9600,M,8,1");
    port.setHandshaking(0);
    line = pty.line();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
    EXPECT_EQ(line.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS), PARODD | CMSPAR);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);

    port.setSettings("57600,s,8,1");
    EXPECT_EQ(pty.line().c_cflag & (PARODD | CMSPAR), static_cast<tcflag_t>(CMSPAR));
    port.setHandshaking(2);
    EXPECT_EQ(pty.line().c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
    EXPECT_EQ(pty.line().c_iflag & IXON, 0u);

    port.setSettings("14400,n,8,1");
    EXPECT_EQ(pty.speeds().output, 14400);
    EXPECT_EQ(pty.speeds().input, 14400);
    port.setSettings("115200,n,8,1");
    EXPECT_EQ(pty.speeds().output, 115200);
    EXPECT_EQ(pty.speeds().input, 115200);

    EXPECT_THROW(port.setSettings("9600,x,8,1"), SerialError);
    EXPECT_THROW(port.setHandshaking(4), SerialError);
    EXPECT_EQ(port.settings(), "115200,n,8,1");
    EXPECT_EQ(port.handshaking(), 2);
}

TEST_F(PosixSerialPortTest, EveryByteValueCrossesTheLineUnchangedBothWays) {
    port.setPortOpen(true);
    const std::string bytes = everyByteValue(4);
    port.output(bytes);
    EXPECT_EQ(receiveAtDevice(bytes.size()), bytes);
    EXPECT_EQ(sendToPort(bytes), bytes);
    EXPECT_TRUE(events.empty());  // a pseudo-terminal keeps no line-error counts or modem lines
}

TEST_F(PosixSerialPortTest, InputHonoursInputLenAndWaitingInputCanBeDiscarded) {
    port.setPortOpen(true);
    pty.send("abcdef");
    ASSERT_TRUE(eventually([&] { return port.inBufferCount() == 6; }));
    port.setInputLen(4);
    EXPECT_EQ(port.input(), "abcd");
    port.setInputLen(0);
    EXPECT_EQ(port.input(), "ef");

    pty.send("xyz");
    ASSERT_TRUE(eventually([&] { return port.inBufferCount() == 3; }));
    port.setInBufferCount(0);
    EXPECT_EQ(port.inBufferCount(), 0);
    EXPECT_EQ(port.input(), "");
}

TEST_F(PosixSerialPortTest, LargeOutputReturnsAtOnceAndDrainsAsTheDeviceReads) {
    port.setPortOpen(true);
    const std::string bytes = everyByteValue(4 * 1024);  // 1 MiB, far more than the device holds
    port.output(bytes);                                  // nobody reads yet: this must not wait
    EXPECT_EQ(port.outBufferCount(), 32767);             // a 16-bit count, with nothing dropped
    EXPECT_EQ(receiveAtDevice(bytes.size()), bytes);
    EXPECT_TRUE(eventually([&] { return port.outBufferCount() == 0; }));
}

TEST_F(PosixSerialPortTest, LargeInputIsKeptWholeThoughItsCountStopsAt32767) {
    port.setPortOpen(true);
    const std::string bytes = everyByteValue(160);  // 40960 bytes
    std::size_t sent = 0;
    ASSERT_TRUE(eventually([&] {
        sent += pty.send(std::string_view(bytes).substr(sent));
        return port.inBufferCount() == 32767 && sent == bytes.size();
    }));
    std::string got = port.input();
    EXPECT_GT(got.size(), 32767u);
    eventually([&] { return (got += port.input()).size() >= bytes.size(); });
    EXPECT_EQ(got, bytes);
}

TEST_F(PosixSerialPortTest, APortAlreadyHeldIsRefusedUntilReleased) {
    port.setPortOpen(true);
    PosixSerialPort other([this](int) { return pty.path(); });
    try {
        other.setPortOpen(true);
        ADD_FAILURE() << "opened a port already held";
    } catch (const SerialError& e) {
        EXPECT_TRUE(contains(e.what(), pty.path() + ") is in use by another program")) << e.what();
        EXPECT_TRUE(contains(e.what(), std::strerror(EBUSY))) << e.what();
    }
    EXPECT_FALSE(other.portOpen());
    EXPECT_THROW(port.setCommPort(2), SerialError);

    port.setPortOpen(false);
    EXPECT_NO_THROW(other.setPortOpen(true));
    EXPECT_TRUE(other.portOpen());
}

TEST(PosixSerialPortLoss, TheDeviceGoingAwayClosesAndReportsThePort) {
    for (const bool outputQueued : {false, true}) {
        PseudoTerminal device;
        PosixSerialPort lost([&](int) { return device.path(); });
        std::vector<int> codes;
        lost.onComm = [&] { codes.push_back(lost.commEvent()); };
        lost.setPortOpen(true);
        if (outputQueued) lost.output(everyByteValue(4 * 1024));
        device.closeMaster();
        ASSERT_TRUE(eventually([&] {
            lost.service();
            return !lost.portOpen();
        })) << outputQueued;
        EXPECT_EQ(codes, std::vector<int>{comm::erPortLost});
        EXPECT_EQ(lost.commEvent(), comm::erPortLost);
        EXPECT_TRUE(contains(lost.lostReason(), device.path() + ") was disconnected")) << lost.lostReason();
        EXPECT_EQ(lost.fileDescriptor(), -1);
        EXPECT_EQ(lost.outBufferCount(), 0);
        EXPECT_THROW(lost.output("*idn?\r\n"), SerialError);
        lost.service();
        EXPECT_EQ(codes.size(), 1u);
    }
}

TEST(PosixSerialPortOpening, FailuresCarryTheDeviceAndTheSystemsDescription) {
    PosixSerialPort port([](int p) -> std::string {
        if (p == 1) return "/dev/kestrix-absent-port";
        if (p == 2) return "/dev/null";
        return "";
    });
    const auto refusal = [&](int p) {
        port.setCommPort(p);
        try {
            port.setPortOpen(true);
        } catch (const SerialError& e) {
            return std::string(e.what());
        }
        return std::string("opened");
    };
    const std::string absent = refusal(1);
    EXPECT_TRUE(contains(absent, "COM1 (/dev/kestrix-absent-port)")) << absent;
    EXPECT_TRUE(contains(absent, std::strerror(ENOENT))) << absent;
    EXPECT_TRUE(contains(refusal(2), "not a serial port"));
    EXPECT_EQ(refusal(3), "No serial device is set for COM3");
    EXPECT_FALSE(port.portOpen());
    EXPECT_THROW(port.output("x"), SerialError);
}

}  // namespace
}  // namespace kestrix::platform
