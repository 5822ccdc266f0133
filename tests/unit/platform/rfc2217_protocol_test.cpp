#include "platform/rfc2217_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/port_address.h"
#include "platform/serial_port.h"

namespace kestrix::platform {
namespace {

using Clock = Rfc2217Protocol::Clock;
using namespace std::chrono_literals;

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) text += static_cast<char>(v);
    return text;
}

// IAC SB COM-PORT-OPTION command value... IAC SE
std::string comPort(int command, std::initializer_list<int> value) {
    std::string text = bytes({255, 250, 44, command});
    for (int v : value) text += static_cast<char>(v);
    return text + bytes({255, 240});
}

struct Received {
    std::string data;
    std::string answers;
    std::vector<int> events;
};

// Feeds the pieces one read at a time.
Received feed(Rfc2217Protocol& telnet, const std::vector<std::string>& reads, Clock::time_point now = {}) {
    Received r;
    for (const std::string& piece : reads) telnet.receive(piece, now, r.data, r.answers, r.events);
    return r;
}

TEST(Rfc2217Protocol, SeparatesDataFromCommandsWhereverTheReadsSplitThem) {
    const struct {
        const char* what;
        std::vector<std::string> reads;
        std::string data;
        std::string answers;
    } cases[] = {
        {"doubled IAC", {bytes({'a', 255, 255, 'b'})}, bytes({'a', 255, 'b'}), ""},
        {"IAC at the end of a read", {bytes({'a', 255}), bytes({255, 'b'})}, bytes({'a', 255, 'b'}), ""},
        {"command split after IAC", {bytes({'a', 255}), bytes({251, 1, 'b'})}, "ab", bytes({255, 254, 1})},
        {"unknown command byte", {bytes({'x', 255, 0x11, 'y', 255, 241})}, "xy", ""},
        {"options refused once however often asked",
         {bytes({255, 253, 99, 255, 251, 98, 255, 253, 99, 255, 251, 98, 'k'})},
         "k",
         bytes({255, 252, 99, 255, 254, 98})},
        {"what the client asked for needs no answer", {bytes({255, 253, 44, 255, 251, 0, 255, 253, 3})}, "", ""},
        {"a suboption for another option is skipped", {bytes({255, 250, 24, 1, 255, 240, 'z'})}, "z", ""},
        {"IAC IAC inside a suboption", {comPort(107, {255, 255}) + "q"}, "q", ""},
    };
    for (const auto& c : cases) {
        Rfc2217Protocol telnet(Clock::time_point{});
        const Received r = feed(telnet, c.reads);
        EXPECT_EQ(r.data, c.data) << c.what;
        EXPECT_EQ(r.answers, c.answers) << c.what;
    }
}

TEST(Rfc2217Protocol, ASuboptionThatNeverEndsIsCutOffAndTheDataGoesOn) {
    Rfc2217Protocol telnet(Clock::time_point{});
    Received r;
    telnet.receive(bytes({255, 250, 44, 106}), {}, r.data, r.answers, r.events);
    for (int i = 0; i < 1000; ++i) telnet.receive(std::string(1000, 'z'), {}, r.data, r.answers, r.events);
    // Only the first few hundred bytes were taken for the suboption; the rest is the line's.
    EXPECT_GE(r.data.size(), 1000u * 1000u - Rfc2217Protocol::kLongestSuboption);
    EXPECT_TRUE(r.events.empty());
    telnet.receive(bytes({255, 255, 'e'}), {}, r.data, r.answers, r.events);
    EXPECT_EQ(r.data.substr(r.data.size() - 2), bytes({255, 'e'}));
}

TEST(Rfc2217Protocol, LineAndModemNotificationsBecomeTheLocalPortsEvents) {
    Rfc2217Protocol telnet(Clock::time_point{});
    const Received r =
        feed(telnet, {comPort(106, {0x02 | 0x04 | 0x08 | 0x10}), comPort(106, {0x61}), comPort(107, {0x30}),
                      comPort(107, {0x01 | 0x20}), comPort(107, {0x80}), comPort(107, {0x40}), comPort(107, {0x00})});
    using namespace comm;
    // The first modem report is the starting point; after it a line raises its event when marked
    // changed (CTS) or found changed (DSR and CD, then CD again), and the ring when it ends.
    EXPECT_EQ(r.events, (std::vector<int>{erOverrun, erRxParity, erFrame, erBreak, evCTS, evDSR, evCD, evCD, evRing}))
        << ::testing::PrintToString(r.events);
}

TEST(Rfc2217Protocol, TheLineIsSetOnceTheServerAgreesAndDataWaitsForItsConfirmation) {
    const Clock::time_point start{};
    Rfc2217Protocol telnet(start);
    std::string wire;
    telnet.setLine({65535 + 256, 'e', 7, 2}, 2, start, wire);
    EXPECT_EQ(wire, "");  // not before the server takes up the option
    EXPECT_TRUE(telnet.holdsData(start + 500ms));
    EXPECT_FALSE(telnet.holdsData(start + Rfc2217Protocol::kAgreementWait));

    const Received agreed = feed(telnet, {bytes({255, 253, 44})}, start + 100ms);
    // Speed 65791 = 00 01 00 FF: the FF doubled; hardware flow, so RTS is the server's to drive.
    EXPECT_EQ(agreed.answers, comPort(1, {0, 1, 0, 255, 255}) + comPort(2, {7}) + comPort(3, {3}) + comPort(4, {2}) +
                                  comPort(5, {3}) + comPort(5, {8}) + comPort(10, {0x1E}) + comPort(11, {255, 255}));
    EXPECT_TRUE(telnet.holdsData(start + 200ms));
    feed(telnet, {comPort(101, {0, 1, 0, 255, 255}), comPort(102, {7}), comPort(103, {3})}, start + 150ms);
    EXPECT_TRUE(telnet.holdsData(start + 200ms));  // one still to come
    EXPECT_FALSE(telnet.holdsData(start + 100ms + Rfc2217Protocol::kConfirmationWait));
    feed(telnet, {comPort(104, {2})}, start + 160ms);
    EXPECT_FALSE(telnet.holdsData(start + 200ms));
    EXPECT_EQ(telnet.confirmedSpeed(), 65791u);

    // The server asks the client to stop sending, and to go on.
    feed(telnet, {comPort(108, {})});
    EXPECT_TRUE(telnet.holdsData(start + 1h));
    feed(telnet, {comPort(109, {})});
    EXPECT_FALSE(telnet.holdsData(start + 1h));

    std::string more;
    telnet.purgeReceived(more);
    telnet.setBreak(true, more);
    telnet.setBreak(false, more);
    EXPECT_EQ(more, comPort(12, {1}) + comPort(5, {5}) + comPort(5, {6}));
}

TEST(Rfc2217Protocol, AServerWithoutTheOptionIsAPlainTelnetLink) {
    Rfc2217Protocol telnet(Clock::time_point{});
    std::string wire;
    telnet.setLine({9600, 'n', 8, 1}, 0, {}, wire);
    const Received r = feed(telnet, {bytes({255, 254, 44, 'o', 'k'})});
    EXPECT_EQ(r.data, "ok");
    EXPECT_EQ(r.answers, "");
    EXPECT_FALSE(telnet.holdsData({}));
    telnet.purgeReceived(wire);
    EXPECT_EQ(wire, "");
}

TEST(PortAddress, NamesADeviceOrANetworkPort) {
    using Kind = PortAddress::Kind;
    const struct {
        const char* text;
        Kind kind;
        const char* host;
        int port;
        const char* problem;
    } cases[] = {
        {"/dev/ttyUSB0", Kind::device, "", 0, ""},
        {"rfc2217://ts-4.lab:4001", Kind::rfc2217, "ts-4.lab", 4001, ""},
        {"RFC2217://192.0.2.7:2001", Kind::rfc2217, "192.0.2.7", 2001, ""},
        {"tcp://[fe80::1%eth0]:65535", Kind::tcp, "fe80::1%eth0", 65535, ""},
        {"tcp://[::1]:7000", Kind::tcp, "::1", 7000, ""},
        {"tcp://::1:7000", Kind::tcp, "", 0, "an IPv6 address is written in brackets, as [::1]:4001"},
        {"tcp://host", Kind::tcp, "", 0, "no port number after the host"},
        {"tcp://:4001", Kind::tcp, "", 0, "no host before the port number"},
        {"tcp://[::1]", Kind::tcp, "", 0, "no port number after the host"},
        {"tcp://[::1:80", Kind::tcp, "", 0, "the IPv6 address has no closing bracket"},
        {"tcp://[]:80", Kind::tcp, "", 0, "\"\" is no IPv6 address"},
        {"tcp://host:0", Kind::tcp, "", 0, "\"0\" is no port number (1 to 65535)"},
        {"tcp://host:65536", Kind::tcp, "", 0, "\"65536\" is no port number (1 to 65535)"},
        {"tcp://host:12a", Kind::tcp, "", 0, "\"12a\" is no port number (1 to 65535)"},
        {"rfc2217://a b:1", Kind::rfc2217, "", 0, "\"a b\" is no host name or address"},
    };
    for (const auto& c : cases) {
        const PortAddress a = parsePortAddress(c.text);
        EXPECT_EQ(a.kind, c.kind) << c.text;
        EXPECT_EQ(a.host, c.host) << c.text;
        EXPECT_EQ(a.port, c.port) << c.text;
        EXPECT_EQ(a.problem, c.problem) << c.text;
        EXPECT_EQ(a.text, c.text);
    }
}

}  // namespace
}  // namespace kestrix::platform
