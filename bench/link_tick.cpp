// The cost of the main timer's tick: idle while a reply is awaited, matching a status screen
// delivered in one read or one byte per read, and one exchange of the clock view with the
// demand asked after each tick; and the cost of recording what a window shows, which the
// renderer compares after ticks to draw only windows that changed.

#include <benchmark/benchmark.h>

#include "shared/prompt_matcher.h"
#include "support/rig.h"

namespace {

using kestrix::testing::Rig;

std::string statusReply() {
    std::string screen;
    for (int line = 0; line < 23; ++line) screen += std::string(79, 'a' + line % 26) + "\r\n";
    return screen + "scpi > ";
}

void BM_IdleTickWhileAwaitingAReply(benchmark::State& state) {
    Rig rig;
    rig.connect();
    rig.tick();  // a status poll is now outstanding and nothing arrives
    for (auto _ : state) rig.tick();
}
BENCHMARK(BM_IdleTickWhileAwaitingAReply);

void BM_StatusScreenInOneRead(benchmark::State& state) {
    Rig rig;
    rig.connect();
    const std::string reply = statusReply();
    for (auto _ : state) {
        rig.tick();  // poll
        rig.port.receive(reply);
        rig.tick();  // whole screen matched
        rig.port.takeWritten();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_StatusScreenInOneRead);

void BM_StatusScreenOneBytePerRead(benchmark::State& state) {
    Rig rig;
    rig.connect();
    const std::string reply = statusReply();
    for (auto _ : state) {
        rig.tick();
        for (char c : reply) {
            rig.port.receive(std::string(1, c));
            rig.tick();
        }
        rig.port.takeWritten();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_StatusScreenOneBytePerRead);

void BM_PromptMatcherThroughput(benchmark::State& state) {
    const std::string reply = statusReply();
    for (auto _ : state) {
        kestrix::PromptMatcher matcher;
        for (char c : reply) benchmark::DoNotOptimize(matcher.feed(c));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_PromptMatcherThroughput);

void BM_ClockViewExchange(benchmark::State& state) {
    Rig rig;
    rig.connect();
    rig.form1.funcClock.onClick();
    const std::string reply = "\"12:00:00\"\r\nscpi > ";
    for (auto _ : state) {
        rig.tick();  // the poll
        benchmark::DoNotOptimize(rig.form1.Timer1.demand());
        rig.port.receive(reply);
        rig.tick();  // its reply
        benchmark::DoNotOptimize(rig.form1.Timer1.demand());
        rig.port.takeWritten();
    }
}
BENCHMARK(BM_ClockViewExchange);

void BM_RecordShownState(benchmark::State& state) {
    Rig rig;
    rig.connect();
    kestrix::Window* windows[] = {&rig.form1, &rig.forms.frmClock, &rig.forms.frmShowLog};
    kestrix::Window& window = *windows[state.range(0)];
    kestrix::ShownState shown;
    for (auto _ : state) {
        kestrix::recordShownState(window, shown);
        benchmark::DoNotOptimize(shown);
    }
    state.SetLabel(window.name);
}
BENCHMARK(BM_RecordShownState)->DenseRange(0, 2);

}  // namespace
