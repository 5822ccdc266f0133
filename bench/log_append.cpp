// What one more entry costs in the Control & Query log, with the log empty and holding 10 MB:
// the figures must not depend on what the log already holds.

#include <benchmark/benchmark.h>

#include <string>

#include "common/log.h"
#include "console/control_query.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"

namespace kestrix {
namespace {

// The program on test doubles, its link up with the view polls stopped and its log prefilled.
struct Program {
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix app{platform};

    explicit Program(std::size_t logBytes) {
        app.forms.form1.disableUpdates.checked = true;
        app.forms.frmShowLog.txtShowLog.setText(filledLog(logBytes));
    }

    static std::string filledLog(std::size_t bytes) {
        const std::string entry = "\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c";
        std::string log;
        log.reserve(bytes + entry.size());
        while (log.size() < bytes) log += entry;
        return log;
    }

    void tick() { app.forms.form1.Timer1.fire(); }

    // Opens the port and answers the probe, then lets the quiet wait and the connection pass.
    void connect() {
        app.forms.form1.MOpen.onClick();
        fakes.clock.seconds = 12 * 3600;
        tick();
        port.receive("scpi > ");
        tick();
        tick();
        fakes.clock.advance(5);
        tick();
        tick();
        port.receive("0\r\nscpi > ");
        tick();
        tick();
        port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
        tick();
        port.takeWritten();
    }
};

constexpr std::int64_t kTenMegabytes = 10 * 1024 * 1024;
constexpr std::size_t kGrowthBeforeRefill = 32 * 1024 * 1024;

void BM_AppendToLog(benchmark::State& state) {
    const auto prefill = static_cast<std::size_t>(state.range(0));
    Program program(prefill);
    const TextBox& log = program.app.forms.frmShowLog.txtShowLog;
    const std::string entry = "\r\nreply: Morvandelle,73408K,MDL-26-00417,R7.c";
    for (auto _ : state) {
        appendToLog(program.app.context, entry);
        if (log.text().size() > prefill + kGrowthBeforeRefill) {  // keeps the run's memory bounded
            state.PauseTiming();
            program.app.forms.frmShowLog.txtShowLog.setText(Program::filledLog(prefill));
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(entry.size()));
}
BENCHMARK(BM_AppendToLog)->Arg(0)->Arg(kTenMegabytes);

// A whole command from the command line: "Sent: " logged, written, answered, "reply: " logged.
void BM_CommandExchange(benchmark::State& state) {
    Program program(static_cast<std::size_t>(state.range(0)));
    program.connect();
    FrmShowLog& window = program.app.forms.frmShowLog;
    window.cmbSendSCPI.text = "*IDN?";
    for (auto _ : state) {
        window.cmbSendSCPI.onKeyPress(13);
        program.tick();
        program.port.receive("Morvandelle,73408K,MDL-26-00417,R7.c\r\nscpi > ");
        program.tick();
        program.tick();
        program.port.takeWritten();
        if (window.cmbSendSCPI.items().size() > 100000) window.cmbSendSCPI.clearItems();
    }
    if (!window.cmdSendSCPI.enabled) state.SkipWithError("the exchange did not complete");
}
BENCHMARK(BM_CommandExchange)->Arg(0)->Arg(kTenMegabytes);

}  // namespace
}  // namespace kestrix
