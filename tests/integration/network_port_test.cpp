// The program on a serial port reached over the network: Debian's ser2net on a loopback port in
// front of the simulator's pseudo-terminal (RFC 2217 and raw TCP), and loopback servers that
// misbehave on purpose.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "download/firmware_download.h"
#include "download/firmware_file.h"
#include "link/link_engine.h"
#include "platform/network_serial_port.h"
#include "support/ser2net.h"
#include "support/sim_program.h"

namespace kestrix::testing {
namespace {

using Clock = std::chrono::steady_clock;

// The speed the device's side of the pseudo-terminal is set to (by ser2net, as told over RFC 2217).
speed_t lineSpeed(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios line{};
    tcgetattr(fd, &line);
    ::close(fd);
    return cfgetospeed(&line);
}

template <typename Condition>
bool waitFor(Condition done, std::chrono::milliseconds limit, const std::function<void()>& step) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        step();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs until the status screen has arrived `count` more times.
bool statusScreens(SimProgram& program, int count) {
    int seen = 0;
    bool wasReceived = false;
    return program.runUntil(
        [&] {
            const bool received = program.label() == "received status";
            if (received && !wasReceived) ++seen;
            wasReceived = received;
            return seen >= count;
        },
        std::chrono::seconds(20));
}

class BehindSer2net : public ::testing::TestWithParam<Ser2net::Protocol> {};

TEST_P(BehindSer2net, TheStatusViewIsPolledAsOnALocalPort) {
    SimProgram program;
    Ser2net server(program.receiver.slavePath(), GetParam());
    ASSERT_TRUE(server.running());
    program.slot = server.address();
    ASSERT_TRUE(program.connect()) << program.label();
    EXPECT_EQ(program.form1.caption, "Morvandelle Kestrix (connected to 73408K @Com1)");
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 3)) << program.label();
    EXPECT_NE(program.form1.Term.text().find("Receiver Status"), std::string::npos) << program.form1.Term.text();
    EXPECT_TRUE(program.port.portOpen());
}

// ser2net stops (the connection is lost) and is started again at the same address: while it is
// away every try fails and the status line keeps why the port went; once it is back the link
// reopens the port and polls again with no user action.
TEST_P(BehindSer2net, AServerThatStopsAndComesBackIsPolledAgainByItself) {
    SimProgram program;
    Ser2net server(program.receiver.slavePath(), GetParam());
    program.slot = server.address();
    ASSERT_TRUE(program.connect()) << program.label();
    program.form1.disableUpdates.checked = false;
    ASSERT_TRUE(statusScreens(program, 1)) << program.label();

    server.stop();
    ASSERT_TRUE(program.runUntil([&] { return !program.port.portOpen(); })) << program.label();
    const std::string reason = "COM1 (" + server.address() + ") was disconnected: the far end closed the connection";
    EXPECT_EQ(program.label(), reason);
    for (int second = 0; second < 30; ++second) {
        program.clock.advance(1);
        program.step();
    }
    EXPECT_TRUE(program.app.link().waitingToReopen());
    EXPECT_EQ(program.label(), reason);
    program.form1.Term.setText({});

    ASSERT_TRUE(server.start());
    program.clock.advance(10);
    ASSERT_TRUE(program.runUntil([&] { return program.port.portOpen() && !program.app.link().waitingToReopen(); }))
        << program.label();
    EXPECT_TRUE(program.form1.MOpen.checked);
    ASSERT_TRUE(program.bringLinkUp()) << program.label();
    EXPECT_TRUE(statusScreens(program, 2)) << program.label();
    EXPECT_NE(program.form1.Term.text().find("Receiver Status"), std::string::npos) << program.form1.Term.text();
}

INSTANTIATE_TEST_SUITE_P(Protocols, BehindSer2net,
                         ::testing::Values(Ser2net::Protocol::rfc2217, Ser2net::Protocol::tcp),
                         [](const auto& info) { return info.param == Ser2net::Protocol::rfc2217 ? "rfc2217" : "tcp"; });

TEST(OverRfc2217, CommunicationSettingsSetTheFarLine) {
    SimProgram program;
    Ser2net server(program.receiver.slavePath(), Ser2net::Protocol::rfc2217);
    program.slot = server.address();
    ASSERT_TRUE(program.connect()) << program.label();
    EXPECT_EQ(lineSpeed(program.receiver.slavePath()), B9600);
    program.form1.MSettings.onClick();
    ConfigScrn& dialog = program.app.forms.configScrn;
    dialog.Baud19dot2.onClick();
    dialog.EvenParity.onClick();
    dialog.OKButton.onClick();
    ASSERT_FALSE(dialog.visible);
    ASSERT_TRUE(waitFor([&] { return lineSpeed(program.receiver.slavePath()) == B19200; }, std::chrono::seconds(3),
                        [&] { program.port.service(); }));
    EXPECT_EQ(program.port.settings(), "19200,e,8,1");
}

// Bytes with IAC (255) in them, and an IAC at the end of a write, cross both ways unchanged.
TEST(OverRfc2217, IacBytesCrossIntactBothWays) {
    SimProgram program;
    Ser2net server(program.receiver.slavePath(), Ser2net::Protocol::rfc2217);
    std::mutex mutex;
    std::string atReceiver;
    program.receiver.setTrace([&](char direction, std::string_view bytes) {
        std::lock_guard lock(mutex);
        if (direction == '<') atReceiver += bytes;
    });
    sim::SimOptions options = program.receiver.options();
    options.silent = true;
    program.receiver.setOptions(options);
    platform::NetworkSerialPort port([&](int) { return server.address(); });
    port.setPortOpen(true);
    const std::string toReceiver = std::string("\xFF\xFF a\xFF\xFE\xFB\x01 \xFA\xF0\xFF", 12);
    const std::string fromReceiver = std::string("\xFF\xFA\x2C\x6B\x00\xFF\xF0 b \xFF", 10);
    port.output(toReceiver);
    ASSERT_TRUE(waitFor(
        [&] {
            std::lock_guard lock(mutex);
            return atReceiver.size() >= toReceiver.size();
        },
        std::chrono::seconds(3), [&] { port.service(); }));
    EXPECT_EQ(atReceiver, toReceiver);
    program.receiver.sendRaw(fromReceiver);
    std::string got;
    ASSERT_TRUE(waitFor([&] { return got.size() >= fromReceiver.size(); }, std::chrono::seconds(3),
                        [&] {
                            port.service();
                            got += port.input();
                        }));
    EXPECT_EQ(got, fromReceiver);
    EXPECT_TRUE(port.portOpen());
}

// A small image as srec_cat writes it: S0, S2 records of 32 bytes, S5, S8.
std::string smallFirmware(unsigned records) {
    auto record = [](char type, std::vector<unsigned> bytes) {
        unsigned sum = static_cast<unsigned>(bytes.size() + 1);
        char text[8];
        std::snprintf(text, sizeof text, "S%c%02X", type, static_cast<unsigned>(bytes.size() + 1));
        std::string line = text;
        for (unsigned b : bytes) {
            sum += b;
            std::snprintf(text, sizeof text, "%02X", b & 0xFF);
            line += text;
        }
        std::snprintf(text, sizeof text, "%02X\n", ~sum & 0xFF);
        return line + text;
    };
    std::string file = record('0', {0, 0, 'K', '9'});
    for (unsigned r = 0; r < records; ++r) {
        const unsigned address = 0x20000 + r * 32;
        std::vector<unsigned> bytes{(address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF};
        for (unsigned i = 0; i < 32; ++i) bytes.push_back((r * 37 + i * 11) & 0xFF);
        file += record('2', bytes);
    }
    file += record('5', {(records >> 8) & 0xFF, records & 0xFF});
    return file + record('8', {0x02, 0x00, 0x00});
}

// The download's preparation asks to set the line to 19200: the receiver is told over the line,
// the far end's port over RFC 2217, and the image arrives whole.
TEST(OverRfc2217, AFirmwareDownloadChangesTheSpeedOnTheWay) {
    SimProgram program;
    Ser2net server(program.receiver.slavePath(), Ser2net::Protocol::rfc2217);
    sim::SimOptions options = program.receiver.options();
    options.eraseTime = std::chrono::milliseconds(20);
    program.receiver.setOptions(options);
    program.slot = server.address();
    ASSERT_TRUE(program.connect()) << program.label();

    auto& forms = program.app.forms;
    program.dialogs.modalActions["frmEraseWarn"] = [](Window& w) {
        static_cast<FrmEraseWarn&>(w).cmdReallyDownload.onClick();
    };
    program.dialogs.modalActions["FrmChangeBaud"] = [&](Window&) { forms.frmChangeBaud.cmdReallyDownload.onClick(); };
    program.dialogs.modalActions["ConfigScrn"] = [&](Window&) {
        // The user takes a moment: the prompt to the speed command is in first.
        waitFor([&] { return program.port.inBufferCount() > 0; }, std::chrono::seconds(2),
                [&] { program.port.service(); });
        forms.configScrn.Baud19dot2.onClick();
        forms.configScrn.OKButton.onClick();
    };
    const std::string file = smallFirmware(64);
    FrmDownload& window = forms.frmDownload;
    program.fakes.files.contents["/fw.s"] = file;
    window.txtDownFile.setText("/fw.s");
    window.cmdDoDownload.onClick();
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    auto lastStep = Clock::now();
    while (window.Text4.text() != "DONE" && Clock::now() < deadline) {
        program.port.service();
        program.form1.Timer1.fire();
        window.Timer1.fire();
        program.clock.advance(std::chrono::duration<double>(Clock::now() - lastStep).count());
        lastStep = Clock::now();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    ASSERT_EQ(window.Text4.text(), "DONE") << program.label() << " / " << window.lblOutcome.caption;
    EXPECT_EQ(program.receiver.storedRecords(), std::get<FirmwareImage>(checkFirmwareFile(file)).records);
    EXPECT_EQ(window.Text3.text(), "0");
    EXPECT_EQ(program.receiver.withModel([](sim::ReceiverModel& m) { return m.line().baud; }), 19200);
    EXPECT_EQ(lineSpeed(program.receiver.slavePath()), B19200);
}

TEST(OverRfc2217, AServerThatStopsLeavesItsReasonInTheStatusLine) {
    SimProgram program;
    Ser2net server(program.receiver.slavePath(), Ser2net::Protocol::rfc2217);
    program.slot = server.address();
    ASSERT_TRUE(program.connect()) << program.label();
    server.stop();
    ASSERT_TRUE(program.runUntil([&] { return !program.port.portOpen(); })) << program.label();
    EXPECT_EQ(program.label(), "COM1 (" + server.address() + ") was disconnected: the far end closed the connection");
    EXPECT_FALSE(program.form1.MOpen.checked);
}

// A loopback server that does what a test tells it with each connection it accepts.
class LoopbackServer {
public:
    using Handler = std::function<void(int connection)>;
    explicit LoopbackServer(Handler handler, int backlog = 4) : handler_(std::move(handler)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, backlog);
        if (handler_) thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(listener_);
    }
    std::string address(const std::string& scheme) const { return scheme + "://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }

private:
    void serve() {
        while (!stopping_) {
            pollfd watch{listener_, POLLIN, 0};
            if (::poll(&watch, 1, 20) <= 0) continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0) continue;
            handler_(connection);
            ::close(connection);
        }
    }

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

// A listener whose queue is full: a connection to it is never made.
struct FullListener {
    LoopbackServer server{nullptr, 0};
    std::vector<int> fillers;
    FullListener() {
        for (int i = 0; i < 4; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers.push_back(fd);
        }
    }
    ~FullListener() {
        for (int fd : fillers) ::close(fd);
    }
};

// Reads what the client sends for a while.
std::string readFor(int connection, std::chrono::milliseconds time) {
    std::string got;
    const auto until = Clock::now() + time;
    char chunk[4096];
    while (Clock::now() < until) {
        pollfd watch{connection, POLLIN, 0};
        if (::poll(&watch, 1, 10) <= 0) continue;
        const ssize_t n = ::recv(connection, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
}

struct Outcome {
    bool open = false;
    std::string failure;  // thrown when opening, or the reason the port closed itself
    std::string received;
};

// Opens a network port on `slot`, sends "probe" and follows it for a while.
Outcome runPort(const std::string& slot, std::chrono::milliseconds time) {
    platform::NetworkSerialPort port([&](int) { return slot; });
    Outcome outcome;
    bool lost = false;
    port.onComm = [&] { lost = lost || port.commEvent() == platform::comm::erPortLost; };
    try {
        port.setPortOpen(true);
        port.output("probe");
    } catch (const platform::SerialError& error) {
        outcome.failure = error.what();
        return outcome;
    }
    waitFor([&] { return lost; }, time,
            [&] {
                port.service();
                if (port.portOpen()) outcome.received += port.input();
            });
    outcome.open = port.portOpen();
    if (lost) outcome.failure = port.lostReason();
    return outcome;
}

TEST(NetworkPort, ServersThatMisbehaveEndInAClearStateNeverStuck) {
    std::atomic<bool> probeArrived{false};
    // Accepts, reads, says nothing: the data goes after the short wait for Telnet's answer.
    LoopbackServer silent([&](int connection) {
        probeArrived = readFor(connection, std::chrono::milliseconds(2500)).find("probe") != std::string::npos;
    });
    // Negotiation that makes no sense, an IAC split across two writes, then closes.
    LoopbackServer garbage([](int connection) {
        const std::string first = std::string(
            "\xFF\xFD\x63\xFF\xFB\x62\xFF\x11\xFF\xFD\x63"
            "ab\xFF",
            14);
        ::send(connection, first.data(), first.size(), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::send(connection,
               "\xFF"
               "cd",
               3, 0);
        readFor(connection, std::chrono::milliseconds(300));
    });
    // By name, which is looked up aside (and may give ::1 first, where nothing listens).
    const Outcome quiet =
        runPort("rfc2217://localhost:" + std::to_string(silent.port()), std::chrono::milliseconds(2000));
    EXPECT_TRUE(quiet.open);
    EXPECT_EQ(quiet.failure, "");
    const Outcome wild = runPort(garbage.address("rfc2217"), std::chrono::milliseconds(3000));
    EXPECT_EQ(wild.received,
              "ab\xFF"
              "cd");
    EXPECT_FALSE(wild.open);
    EXPECT_EQ(wild.failure,
              "COM1 (" + garbage.address("rfc2217") + ") was disconnected: the far end closed the connection");
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_TRUE(probeArrived);
}

TEST(NetworkPort, ConnectingFailuresNameTheAddressAndTheSystemsReason) {
    const int closedPort = [] {
        LoopbackServer gone(nullptr);
        return gone.port();
    }();
    FullListener full;
    const std::string refused = "tcp://127.0.0.1:" + std::to_string(closedPort);
    const std::string hanging = full.server.address("rfc2217");
    const struct {
        std::string slot;
        std::string failure;
    } cases[] = {
        {refused, "Cannot open COM1 (" + refused + "): Connection refused"},
        {"rfc2217://no-such-receiver.invalid:4001", "Cannot open COM1 (rfc2217://no-such-receiver.invalid:4001): "},
        {"tcp://[::1:4001", "Cannot open COM1 (tcp://[::1:4001): the IPv6 address has no closing bracket"},
        {hanging, "Cannot open COM1 (" + hanging + "): Connection timed out"},
    };
    for (const auto& c : cases) {
        const auto began = Clock::now();
        const Outcome outcome = runPort(c.slot, std::chrono::seconds(8));
        EXPECT_FALSE(outcome.open) << c.slot;
        EXPECT_TRUE(outcome.failure.starts_with(c.failure)) << outcome.failure;
        EXPECT_LT(Clock::now() - began, std::chrono::seconds(7)) << c.slot;
    }
}

// What was queued for a connection that was never made does not go to the next one.
TEST(NetworkPort, AFailedConnectionLeavesNothingForTheNext) {
    FullListener full;
    std::mutex mutex;
    std::string arrived;
    LoopbackServer listening([&](int connection) {
        const std::string got = readFor(connection, std::chrono::milliseconds(500));
        std::lock_guard lock(mutex);
        arrived += got;
    });
    std::string slot = full.server.address("tcp");
    platform::NetworkSerialPort port([&](int) { return slot; });
    port.setPortOpen(true);
    port.output("stale");
    ASSERT_TRUE(waitFor([&] { return !port.portOpen(); }, std::chrono::seconds(8), [&] { port.service(); }));
    slot = listening.address("tcp");
    port.setPortOpen(true);
    port.output("fresh");
    waitFor([&] { return false; }, std::chrono::milliseconds(700), [&] { port.service(); });
    std::lock_guard lock(mutex);
    EXPECT_EQ(arrived, "fresh");
}

}  // namespace
}  // namespace kestrix::testing
