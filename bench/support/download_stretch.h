#pragma once

// What the download benchmarks share: the firmware image they send, the download started with its
// erase warning answered, and the characters that cross the simulator's line while the stretch
// being timed runs, against which the time is set.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "../../tests/integration/support/sim_program.h"
#include "download/firmware_download.h"

namespace kestrix::bench {

inline std::string hexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

// What srec_cat writes for an image of `records` × 32 bytes from 0x20000: an S0 header naming
// `name`, the S2 records (with pseudo-random contents, the same on every run), S5 and S8.
inline std::string firmwareFile(unsigned records, std::string_view name) {
    auto record = [](char type, std::vector<unsigned> bytes) {
        unsigned sum = static_cast<unsigned>(bytes.size() + 1);
        std::string text = std::string("S") + type + hexByte(static_cast<unsigned>(bytes.size() + 1));
        for (unsigned b : bytes) {
            sum += b;
            text += hexByte(b);
        }
        return text + hexByte(~sum) + "\n";
    };
    std::vector<unsigned> header{0, 0};
    header.insert(header.end(), name.begin(), name.end());
    std::string file = record('0', header);
    std::uint32_t x = 2463534242u;
    for (unsigned r = 0; r < records; ++r) {
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
    file += record('5', {(records >> 8) & 0xFF, records & 0xFF});
    return file + record('8', {0x02, 0x00, 0x00});
}

// Starts a download of `file` from the download window; the erase warning is answered yes.
inline void startDownload(testing::SimProgram& sim, const std::string& file) {
    sim.dialogs.modalActions["frmEraseWarn"] = [](Window& w) {
        static_cast<FrmEraseWarn&>(w).cmdReallyDownload.onClick();
    };
    FrmDownload& window = sim.app.forms.frmDownload;
    sim.fakes.files.contents["/fw.s"] = file;
    window.txtDownFile.setText("/fw.s");
    window.cmdDoDownload.onClick();
}

// The characters crossing the simulator's line each way while `counting` is set.
class LineCount {
public:
    explicit LineCount(sim::PtyReceiver& receiver) : receiver_(receiver) {
        receiver_.setTrace([this](char direction, std::string_view bytes) {
            if (counting) (direction == '<' ? toReceiver_ : fromReceiver_) += static_cast<long>(bytes.size());
        });
    }
    ~LineCount() { receiver_.setTrace(nullptr); }
    LineCount(const LineCount&) = delete;
    LineCount& operator=(const LineCount&) = delete;

    std::atomic<bool> counting{false};

    double toReceiver() const { return static_cast<double>(toReceiver_); }
    double fromReceiver() const { return static_cast<double>(fromReceiver_); }
    // `seconds` against the time the line needs, at `charsPerSecond` each way, for the busier
    // direction's characters.
    double perLineMinimum(double seconds, double charsPerSecond) const {
        return seconds / (std::max(toReceiver(), fromReceiver()) / charsPerSecond);
    }
    // The same against the time for both directions' characters one after the other.
    double perBothWaysSum(double seconds, double charsPerSecond) const {
        return seconds / ((toReceiver() + fromReceiver()) / charsPerSecond);
    }

private:
    sim::PtyReceiver& receiver_;
    std::atomic<long> toReceiver_{0}, fromReceiver_{0};
};

}  // namespace kestrix::bench
