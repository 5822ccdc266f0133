// A whole firmware transfer against the simulated receiver with its line emulated at 19200 baud:
// the time from the erased flash to the last acknowledgement, against the time the line itself
// needs for the characters that crossed it (1920 characters a second each way).
//
// The file is a 16 KiB image written as S2 records of 32 bytes (515 records, about 46,000
// characters on the line), so that one run takes about half a minute.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <thread>

#include "../tests/integration/support/sim_program.h"
#include "download/firmware_download.h"

namespace {

using kestrix::testing::SimProgram;

std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

// S0, 512 S2 records of 32 bytes from 0x20000, S5, S8: what srec_cat writes for a 16 KiB image.
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
    std::string file = record('0', {0, 0, 'K', '7', '3', '4'});
    std::uint32_t x = 2463534242u;
    for (unsigned r = 0; r < 512; ++r) {
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
    file += record('5', {0x02, 0x00});
    file += record('8', {0x02, 0x00, 0x00});
    return file;
}

void BM_DownloadAt19200Baud(benchmark::State& state) {
    const std::string file = firmwareFile();
    double ratioBusier = 0, ratioBoth = 0, sent = 0, received = 0;
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
        sim.dialogs.modalActions["frmEraseWarn"] = [](kestrix::Window& w) {
            static_cast<kestrix::FrmEraseWarn&>(w).cmdReallyDownload.onClick();
        };
        sim.fakes.files.contents["/fw.s"] = file;
        window.txtDownFile.setText("/fw.s");
        window.cmdDoDownload.onClick();

        std::atomic<long> toReceiver{0}, fromReceiver{0};
        std::atomic<bool> counting{false};
        sim.receiver.setTrace([&](char direction, std::string_view bytes) {
            if (!counting) return;
            (direction == '<' ? toReceiver : fromReceiver) += static_cast<long>(bytes.size());
        });
        // The application's loop: the download timer fires every millisecond, the port is
        // serviced as often.
        auto turn = [&] {
            sim.port.service();
            sim.form1.Timer1.fire();
            window.Timer1.fire();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        while (!sim.state().readyToDownload) turn();
        counting = true;
        const auto start = std::chrono::steady_clock::now();
        while (window.Text4.text() != "DONE") turn();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        counting = false;
        state.SetIterationTime(seconds);

        sent = static_cast<double>(toReceiver);
        received = static_cast<double>(fromReceiver);
        ratioBusier = seconds / (std::max(sent, received) / 1920.0);
        ratioBoth = seconds / ((sent + received) / 1920.0);
    }
    state.counters["chars_to_receiver"] = sent;
    state.counters["chars_from_receiver"] = received;
    state.counters["time_per_line_minimum"] = ratioBusier;
    state.counters["time_per_both_ways_sum"] = ratioBoth;
}
BENCHMARK(BM_DownloadAt19200Baud)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
