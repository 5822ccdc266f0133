// Firmware downloads through the real serial port on a pseudo-terminal to the simulated receiver,
// with files written by srec_cat: the whole preparation, then the records, then the image in the
// receiver's flash compared with the file.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "download/firmware_download.h"
#include "download/firmware_file.h"
#include "support/sim_program.h"

namespace kestrix::testing {
namespace {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed at the end.
struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kestrix-download-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A 256 KiB image of fixed pseudo-random bytes written by srec_cat as a header, S2 data records,
// a count record and an S8 start record.
std::string srecCatFile(const TempFolder& folder, const std::string& extraOptions = {}) {
    const fs::path binary = folder.path / "image.bin";
    const fs::path records = folder.path / "image.s";
    std::string image(256 * 1024, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : image) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    std::ofstream(binary, std::ios::binary) << image;
    const std::string command = "srec_cat '" + binary.string() + "' -binary -offset 0x20000 -o '" + records.string() +
                                "' -motorola -address-length=3 -header=K73408K-4.10 "
                                "-execution-start-address=0x20000 " +
                                extraOptions;
    EXPECT_EQ(std::system(command.c_str()), 0) << "srec_cat (Debian package srecord) is needed: " << command;
    return readFile(records);
}

std::vector<std::string> recordsOf(const std::string& file) {
    return std::get<FirmwareImage>(checkFirmwareFile(file)).records;
}

class DownloadOnTheLine : public ::testing::Test {
protected:
    SimProgram sim;
    TempFolder folder;
    FrmDownload& window = sim.app.forms.frmDownload;
    const std::string path = "/firmware/image.s";

    void SetUp() override {
        sim::SimOptions options = sim.receiver.options();
        options.line.baud = 19200;
        options.eraseTime = std::chrono::milliseconds{20};
        sim.receiver.setOptions(options);
        sim.port.setSettings("19200,n,8,1");
        ASSERT_TRUE(sim.connect());
        sim.dialogs.modalActions["frmEraseWarn"] = [](Window& w) {
            static_cast<FrmEraseWarn&>(w).cmdReallyDownload.onClick();
        };
    }

    void choose(const std::string& contents) {
        sim.fakes.files.contents[path] = contents;
        window.txtDownFile.setText(path);
        window.cmdDoDownload.onClick();
    }

    // One turn of the event loop: the port moves its bytes, both timers tick, and the clock
    // follows real time.
    void step() {
        sim.port.service();
        sim.form1.Timer1.fire();
        window.Timer1.fire();
        const auto now = std::chrono::steady_clock::now();
        sim.clock.advance(std::chrono::duration<double>(now - lastStep_).count());
        lastStep_ = now;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }

    template <typename Condition>
    bool runUntil(Condition done, std::chrono::seconds limit = std::chrono::seconds(90)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        lastStep_ = std::chrono::steady_clock::now();
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            step();
        }
        return true;
    }

    bool completed() { return window.Text4.text() == "DONE" && !sim.state().downloadPrep; }

    void setFaults(double errorFraction, int chunkSize) {
        sim::SimOptions options = sim.receiver.options();
        options.errorFraction = errorFraction;
        options.chunkSize = chunkSize;
        options.chunkPause = std::chrono::milliseconds{chunkSize > 0 ? 1 : 0};
        sim.receiver.setOptions(options);
    }

    std::chrono::steady_clock::time_point lastStep_;
};

TEST_F(DownloadOnTheLine, TheReceiverHoldsTheFileRecordForRecord) {
    const std::string file = srecCatFile(folder);
    const auto records = recordsOf(file);
    ASSERT_GT(records.size(), 8000u);
    EXPECT_EQ(records.front().substr(0, 2), "S0");
    EXPECT_EQ(records.back().substr(0, 2), "S8");
    choose(file);
    ASSERT_TRUE(runUntil([&] { return completed(); })) << sim.label() << " / " << window.lblOutcome.caption;
    EXPECT_EQ(sim.receiver.storedRecords(), records);
    EXPECT_EQ(sim.receiver.receivedRecords().size(), records.size());  // nothing sent twice
    EXPECT_EQ(sim.app.download().vars().linesSent, static_cast<long>(records.size()));
    EXPECT_EQ(window.Text3.text(), "0");
    EXPECT_EQ(sim.app.forms.frmShowLog.cmbSendSCPI.text, ":SYST:LANG \"PRIMARY\"");
    EXPECT_TRUE(sim.form1.Timer1.enabled);
}

TEST_F(DownloadOnTheLine, ErrorPromptsOnTwoPercentOfLinesAreRecoveredFrom) {
    const std::string file = srecCatFile(folder, "-crlf");
    ASSERT_NE(file.find("\r\n"), std::string::npos);
    const auto records = recordsOf(file);
    choose(file);
    ASSERT_TRUE(runUntil([&] { return sim.state().readyToDownload; }));
    setFaults(0.02, 0);
    ASSERT_TRUE(runUntil([&] { return completed(); })) << sim.label();
    EXPECT_EQ(sim.receiver.storedRecords(), records);
    EXPECT_GT(std::stol(window.Text3.text()), 100);
    EXPECT_EQ(sim.app.download().vars().linesSent, static_cast<long>(records.size()));
}

TEST_F(DownloadOnTheLine, PromptsSplitIntoSmallChunksAreCounted) {
    const std::string file = srecCatFile(folder);
    const auto records = recordsOf(file);
    choose(file);
    ASSERT_TRUE(runUntil([&] { return sim.state().readyToDownload; }));
    setFaults(0, 4);  // every prompt arrives in two pieces at least
    ASSERT_TRUE(runUntil([&] { return completed(); })) << sim.label();
    EXPECT_EQ(sim.receiver.storedRecords(), records);
    EXPECT_EQ(window.Text3.text(), "0");
}

TEST_F(DownloadOnTheLine, ACorruptedFileIsRefusedBeforeAnythingIsErased) {
    std::string file = srecCatFile(folder);
    const std::size_t line500 = [&] {
        std::size_t at = 0;
        for (int i = 0; i < 499; ++i) at = file.find('\n', at) + 1;
        return at;
    }();
    file[line500 + 20] = file[line500 + 20] == '7' ? '8' : '7';
    const std::size_t linesBefore = sim.receiver.linesReceived();
    choose(file);
    ASSERT_EQ(sim.dialogs.messages.size(), 1u);
    EXPECT_NE(sim.dialogs.messages[0].text.find("Line 500: its checksum is"), std::string::npos)
        << sim.dialogs.messages[0].text;
    runUntil([] { return false; }, std::chrono::seconds(1));
    EXPECT_FALSE(sim.receiver.withModel([](sim::ReceiverModel& m) { return m.flash().erased(); }));
    EXPECT_EQ(sim.receiver.linesReceived(), linesBefore);
    EXPECT_FALSE(sim.state().downloadPrep);
}

TEST_F(DownloadOnTheLine, ADownloadAfterAStoppedOneCompletes) {
    const std::string file = srecCatFile(folder);
    const auto records = recordsOf(file);
    choose(file);
    ASSERT_TRUE(runUntil([&] { return sim.app.download().vars().linesSent > 1000; }));
    window.cmdStopDownload.onClick();
    EXPECT_NE(window.lblOutcome.caption.find("needs a complete download"), std::string::npos);
    window.cmdDoDownload.onClick();
    ASSERT_TRUE(runUntil([&] { return completed(); })) << sim.label() << " / " << window.lblOutcome.caption;
    EXPECT_EQ(sim.receiver.storedRecords(), records);
    EXPECT_EQ(sim.app.download().vars().linesSent, static_cast<long>(records.size()));
}

TEST(PosixFiles, ReadsARegularFileWholeAndRefusesOthers) {
    TempFolder folder;
    const fs::path file = folder.path / "k.s";
    std::string bytes(100000, 'S');
    bytes[5] = '\0';
    std::ofstream(file, std::ios::binary) << bytes;
    platform::PosixFiles files;
    EXPECT_EQ(files.readAll(file.string(), 1u << 20), bytes);
    EXPECT_THROW(files.readAll(file.string(), 1000), platform::FileError);
    EXPECT_THROW(files.readAll(folder.path.string(), 1u << 20), platform::FileError);
    EXPECT_THROW(files.readAll((folder.path / "missing.s").string(), 1u << 20), platform::FileError);
    const fs::path fifo = folder.path / "pipe.s";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(files.readAll(fifo.string(), 1u << 20), platform::FileError);  // never blocks
}

// A file appended to keeps what it held and counts it; one read a block at a time gives it back.
TEST(PosixFiles, AppendsToAFileAndReadsItBackABlockAtATimeAndRefusesOthers) {
    TempFolder folder;
    const std::string file = (folder.path / "trend.csv").string();
    platform::PosixFiles files;
    files.append(file)->write("first\n");
    const auto again = files.append(file);
    EXPECT_EQ(again->size(), 6u);
    again->write("second\n");
    EXPECT_EQ(again->size(), 13u);
    const auto in = files.open(file);
    std::string read;
    char block[4];
    for (std::size_t got; (got = in->read(block, sizeof block)) > 0;) read.append(block, got);
    EXPECT_EQ(read, "first\nsecond\n");
    const fs::path fifo = folder.path / "pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& other : {folder.path, folder.path / "missing.csv", fifo})
        EXPECT_THROW(files.open(other.string()), platform::FileError) << other;  // never blocks
    EXPECT_THROW(files.append(fifo.string()), platform::FileError);              // no reader: refused, not waited for
    EXPECT_THROW(files.append((folder.path / "no" / "such.csv").string()), platform::FileError);
}

}  // namespace
}  // namespace kestrix::testing
