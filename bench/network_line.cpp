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
#include "support/download_stretch.h"

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

void BM_DownloadAt9600Baud(benchmark::State& state) {
    const int transport = static_cast<int>(state.range(0));
    // S0, 128 S2 records of 32 bytes from 0x20000, S5, S8: what srec_cat writes for a 4 KiB image.
    const std::string file = kestrix::bench::firmwareFile(128, "K9");
    double ratio = 0, sent = 0, received = 0;
    for (auto _ : state) {
        Setup setup(transport);
        SimProgram& sim = setup.sim;
        if (!sim.connect()) {
            state.SkipWithError("the link did not come up");
            return;
        }
        auto& forms = sim.app.forms;
        // The line stays at 9600 baud.
        sim.dialogs.modalActions["FrmChangeBaud"] = [&](kestrix::Window&) {
            forms.frmChangeBaud.cmdDontDownload.onClick();
        };
        kestrix::bench::startDownload(sim, file);
        auto& window = forms.frmDownload;
        kestrix::bench::LineCount line(sim.receiver);
        Clock::time_point start;
        auto lastStep = Clock::now();
        const auto deadline = Clock::now() + std::chrono::minutes(3);
        while (window.Text4.text() != "DONE" && Clock::now() < deadline) {
            sim.port.service();
            sim.form1.Timer1.fire();
            if (!line.counting && sim.state().readyToDownload) {
                line.counting = true;
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
        line.counting = false;
        state.SetIterationTime(seconds);
        sent = line.toReceiver();
        received = line.fromReceiver();
        ratio = line.perLineMinimum(seconds, 960.0);
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
