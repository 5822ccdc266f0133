// The receiver behind ser2net against the same receiver on the local pseudo-terminal, in the same
// run, with the simulator's line emulated at 9600 baud: the time one status screen takes in the
// status view, and a firmware download's time against the time the line itself needs for the
// characters that crossed it (960 characters a second each way).
//
// Argument: 0 the local pseudo-terminal, 1 ser2net with RFC 2217, 2 ser2net in raw TCP mode.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../tests/integration/support/ser2net.h"
#include "../tests/integration/support/sim_program.h"
#include "download/firmware_download.h"

namespace {

using kestrix::testing::Ser2net;
using kestrix::testing::SimProgram;
using Clock = std::chrono::steady_clock;

// The program on the receiver with its line at 9600 baud, reached as `transport` says.
struct Setup {
    SimProgram sim;
    std::unique_ptr<Ser2net> server;

    explicit Setup(int transport) {
        kestrix::sim::SimOptions options = sim.receiver.options();
        options.emulateLineSpeed = true;
        options.eraseTime = std::chrono::milliseconds{20};
        sim.receiver.setOptions(options);
        if (transport == 0) return;
        server = std::make_unique<Ser2net>(sim.receiver.slavePath(),
                                           transport == 1 ? Ser2net::Protocol::rfc2217 : Ser2net::Protocol::tcp);
        sim.slot = server->address();
    }
};

const char* transportName(int transport) {
    static const char* names[] = {"local pseudo-terminal", "ser2net rfc2217", "ser2net tcp"};
    return names[transport];
}

void BM_StatusScreenAt9600Baud(benchmark::State& state) {
    const int transport = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Setup setup(transport);
        SimProgram& sim = setup.sim;
        if (!sim.connect()) {
            state.SkipWithError("the link did not come up");
            return;
        }
        sim.form1.disableUpdates.checked = false;
        // Screens counted from the end of the first to the end of the sixth.
        constexpr int kScreens = 5;
        int seen = -1;
        bool wasReceived = false;
        Clock::time_point start;
        sim.runUntil(
            [&] {
                const bool received = sim.label() == "received status";
                if (received && !wasReceived && ++seen == 0) start = Clock::now();
                wasReceived = received;
                return seen >= kScreens;
            },
            std::chrono::seconds(60));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count() / kScreens);
    }
    state.SetLabel(transportName(transport));
}
BENCHMARK(BM_StatusScreenAt9600Baud)
    ->ArgName("transport")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

// S0, 128 S2 records of 32 bytes from 0x20000, S5, S8: what srec_cat writes for a 4 KiB image.
std::string firmwareFile() {
    auto record = [](char type, std::vector<unsigned> bytes) {
        unsigned sum = static_cast<unsigned>(bytes.size() + 1);
        std::string text = std::string("S") + type + hexByte(static_cast<unsigned>(bytes.size() + 1));
        for (unsigned b : bytes) {
            sum += b;
            text += hexByte(b);
        }
        return text + hexByte(~sum) + "\n";
    };
    std::string file = record('0', {0, 0, 'K', '9'});
    std::uint32_t x = 2463534242u;
    for (unsigned r = 0; r < 128; ++r) {
        const unsigned address = 0x20000 + r * 32;
        std::vector<unsigned> bytes{(address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF};
        for (int i = 0; i < 32; ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            bytes.push_back(x & 0xFF);
        }
        file += record('2', bytes);
    }
    file += record('5', {0x00, 0x80});
    return file + record('8', {0x02, 0x00, 0x00});
}

void BM_DownloadAt9600Baud(benchmark::State& state) {
    const int transport = static_cast<int>(state.range(0));
    const std::string file = firmwareFile();
    double ratio = 0, sent = 0, received = 0;
    for (auto _ : state) {
        Setup setup(transport);
        SimProgram& sim = setup.sim;
        if (!sim.connect()) {
            state.SkipWithError("the link did not come up");
            return;
        }
        auto& forms = sim.app.forms;
        sim.dialogs.modalActions["frmEraseWarn"] = [](kestrix::Window& w) {
            static_cast<kestrix::FrmEraseWarn&>(w).cmdReallyDownload.onClick();
        };
        // The line stays at 9600 baud.
        sim.dialogs.modalActions["FrmChangeBaud"] = [&](kestrix::Window&) {
            forms.frmChangeBaud.cmdDontDownload.onClick();
        };
        auto& window = forms.frmDownload;
        sim.fakes.files.contents["/fw.s"] = file;
        window.txtDownFile.setText("/fw.s");
        window.cmdDoDownload.onClick();

        std::atomic<long> toReceiver{0}, fromReceiver{0};
        std::atomic<bool> counting{false};
        sim.receiver.setTrace([&](char direction, std::string_view bytes) {
            if (counting) (direction == '<' ? toReceiver : fromReceiver) += static_cast<long>(bytes.size());
        });
        Clock::time_point start;
        auto lastStep = Clock::now();
        const auto deadline = Clock::now() + std::chrono::minutes(3);
        while (window.Text4.text() != "DONE" && Clock::now() < deadline) {
            sim.port.service();
            sim.form1.Timer1.fire();
            if (!counting && sim.state().readyToDownload) {
                counting = true;
                start = Clock::now();
            }
            window.Timer1.fire();
            sim.clock.advance(std::chrono::duration<double>(Clock::now() - lastStep).count());
            lastStep = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (window.Text4.text() != "DONE") {
            state.SkipWithError("the download did not complete");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        counting = false;
        state.SetIterationTime(seconds);
        sent = static_cast<double>(toReceiver);
        received = static_cast<double>(fromReceiver);
        ratio = seconds / (std::max(sent, received) / 960.0);
    }
    state.counters["chars_to_receiver"] = sent;
    state.counters["chars_from_receiver"] = received;
    state.counters["time_per_line_minimum"] = ratio;
    state.SetLabel(transportName(transport));
}
BENCHMARK(BM_DownloadAt9600Baud)
    ->ArgName("transport")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
