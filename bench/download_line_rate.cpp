// A whole firmware transfer against the simulated receiver with its line emulated at 19200 baud:
// the time from the erased flash to the last acknowledgement, against the time the line itself
// needs for the characters that crossed it (1920 characters a second each way).
//
// The file is a 16 KiB image written as S2 records of 32 bytes (515 records, about 46,000
// characters on the line), so that one run takes about half a minute.
//
// Two event loops run it: the application's, where a timer ticks when its demand falls due, when
// input or drained output wakes it, or when another timer's tick did something, and the loop
// otherwise sleeps on the port's descriptor (argument 1); and a loop that fires both timers every
// millisecond whatever happens (argument 0), for comparison.

#include <benchmark/benchmark.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

#include "../tests/integration/support/sim_program.h"
#include "support/download_stretch.h"

namespace {

using kestrix::testing::SimProgram;

using Clock = std::chrono::steady_clock;

// The application's event loop, as far as the timers and the serial port go.
class PacedLoop {
public:
    PacedLoop(SimProgram& sim, std::array<kestrix::Timer*, 2> timers) : sim_(sim) {
        for (std::size_t i = 0; i < timers.size(); ++i) timers_[i].timer = timers[i];
    }

    // Runs after every tick.
    std::function<void()> afterTick;

    void turn() {
        kestrix::platform::SerialPort& port = sim_.port;
        const bool outputWas = port.outputWaiting();
        port.service();
        const int waiting = port.portOpen() ? port.inBufferCount() : 0;
        bool wake = waiting > seen_ || (outputWas && !port.outputWaiting());
        seen_ = waiting;
        for (Paced& t : timers_) {
            kestrix::Timer& timer = *t.timer;
            if (!timer.enabled) {
                t.wasEnabled = false;
                continue;
            }
            if (!t.wasEnabled) t.due = Clock::now();  // turned on: its first tick at once
            t.wasEnabled = true;
            if (!wake && !(t.due && *t.due <= Clock::now())) continue;
            if (!timer.fire()) continue;
            if (afterTick) afterTick();
            kestrix::TickDemand demand;
            demand.dueInMs = std::max(1, timer.intervalMs);
            if (timer.demand) demand = timer.demand();
            t.due.reset();
            if (demand.dueInMs)
                t.due = Clock::now() + std::chrono::microseconds(static_cast<long>(*demand.dueInMs * 1000));
            if (demand.didWork)
                for (Paced& other : timers_)
                    if (&other != &t) other.due = Clock::now();
            seen_ = port.portOpen() ? port.inBufferCount() : 0;
        }
        sleep();
    }

private:
    struct Paced {
        kestrix::Timer* timer = nullptr;
        std::optional<Clock::time_point> due;
        bool wasEnabled = false;
    };

    // Until the earliest due tick, or until the descriptor has input or room for queued output.
    void sleep() {
        auto until = Clock::now() + std::chrono::milliseconds(50);
        for (const Paced& t : timers_)
            if (t.timer->enabled && t.due) until = std::min(until, *t.due);
        const double ms = std::chrono::duration<double, std::milli>(until - Clock::now()).count();
        if (ms <= 0) return;
        const int fd = sim_.port.fileDescriptor();
        pollfd watch{fd, static_cast<short>(POLLIN | (sim_.port.outputWaiting() ? POLLOUT : 0)), 0};
        ::poll(&watch, fd >= 0 ? 1 : 0, static_cast<int>(std::ceil(ms)));
    }

    SimProgram& sim_;
    std::array<Paced, 2> timers_;
    int seen_ = 0;
};

void BM_DownloadAt19200Baud(benchmark::State& state) {
    const bool paced = state.range(0) == 1;
    // S0, 512 S2 records of 32 bytes from 0x20000, S5, S8: what srec_cat writes for a 16 KiB image.
    const std::string file = kestrix::bench::firmwareFile(512, "K734");
    double ratioBusier = 0, ratioBoth = 0, sent = 0, received = 0, ticks = 0;
    for (auto _ : state) {
        SimProgram sim;
        kestrix::sim::SimOptions options = sim.receiver.options();
        options.line.baud = 19200;
        options.eraseTime = std::chrono::milliseconds{20};
        options.emulateLineSpeed = true;
        sim.receiver.setOptions(options);
        sim.port.setSettings("19200,n,8,1");
        if (!sim.connect()) {
            state.SkipWithError("the link did not come up");
            return;
        }
        auto& window = sim.app.forms.frmDownload;
        kestrix::bench::startDownload(sim, file);
        kestrix::bench::LineCount line(sim.receiver);
        // The application's loop: the download timer fires every millisecond, the port is
        // serviced as often.
        // The count starts the moment the flash is erased, before the first packet can go out.
        Clock::time_point start;
        std::uint64_t ticksBefore = 0;
        auto startCounting = [&] {
            if (line.counting || !sim.state().readyToDownload) return;
            line.counting = true;
            ticksBefore = window.Timer1.ticksRun() + sim.form1.Timer1.ticksRun();
            start = Clock::now();
        };
        PacedLoop loop(sim, {&sim.form1.Timer1, &window.Timer1});
        loop.afterTick = startCounting;
        auto turn = [&] {
            if (paced) {
                loop.turn();
                return;
            }
            sim.port.service();
            sim.form1.Timer1.fire();
            startCounting();
            window.Timer1.fire();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        while (window.Text4.text() != "DONE") turn();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        line.counting = false;
        ticks = static_cast<double>(window.Timer1.ticksRun() + sim.form1.Timer1.ticksRun() - ticksBefore) / seconds;
        state.SetIterationTime(seconds);

        sent = line.toReceiver();
        received = line.fromReceiver();
        ratioBusier = line.perLineMinimum(seconds, 1920.0);
        ratioBoth = line.perBothWaysSum(seconds, 1920.0);
    }
    state.counters["chars_to_receiver"] = sent;
    state.counters["chars_from_receiver"] = received;
    state.counters["time_per_line_minimum"] = ratioBusier;
    state.counters["time_per_both_ways_sum"] = ratioBoth;
    state.counters["ticks_per_second"] = ticks;
}
BENCHMARK(BM_DownloadAt19200Baud)
    ->ArgName("paced")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
