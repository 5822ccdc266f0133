#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

#include "platform/files.h"
#include "trend/record.h"
#include "trend/series.h"

namespace kestrix {
namespace {

platform::PosixFiles posixFiles;

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
constexpr double kDay = 1796601600;  // 2026-12-07T00:00:00Z

TEST(SampleRing, KeepsTheNewestReadingsOnceFull) {
    SampleRing ring(4);
    for (int i = 0; i < 6; ++i) ring.add(kDay + i, i * 10.0);
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_EQ(ring.time(0), kDay + 2);
    EXPECT_EQ(ring.value(3), 50.0);
    EXPECT_EQ(ring.firstAtOrAfter(kDay + 3.5), 2u);
    EXPECT_EQ(ring.firstAtOrAfter(kDay + 99), 4u);
    EXPECT_EQ(ring.values(1, 3), (std::vector<double>{30, 40}));
    ring.add(kDay, 1);  // a clock set back: stamped with the newest time, order kept
    EXPECT_EQ(ring.time(3), kDay + 5);
    EXPECT_EQ(SampleRing().capacity(), 2678400u);  // the longest month of one-second readings
    ring.clear();                                  // and filled again from empty
    for (int i = 0; i < 5; ++i) ring.add(kDay + 10 + i, i);
    EXPECT_EQ(ring.size(), 4u);
    EXPECT_EQ(ring.values(0, 4), (std::vector<double>{1, 2, 3, 4}));
}

TEST(Decimate, GivesMinimumAndMaximumPerColumnAndLeavesEmptyColumnsEmpty) {
    SampleRing ring;
    for (int i = 0; i < 100; ++i) ring.add(kDay + i, i % 10 == 0 ? kGap : static_cast<double>(i));
    const auto columns = decimate(ring, kDay, kDay + 100, 10);
    ASSERT_EQ(columns.size(), 10u);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        EXPECT_TRUE(columns[k].any);
        EXPECT_TRUE(columns[k].gap);
        EXPECT_EQ(columns[k].minimum, 10.0 * k + 1);  // the gap at 10k is left out
        EXPECT_EQ(columns[k].maximum, 10.0 * k + 9);
    }
    const auto wide = decimate(ring, kDay + 90, kDay + 190, 10);  // readings only in the first column
    EXPECT_TRUE(wide[0].any);
    EXPECT_FALSE(wide[1].any);
    EXPECT_FALSE(wide[9].any);
}

TEST(PhaseGrid, PutsReadingsOnTheirSlotsAndMissingOnesAsGaps) {
    SampleRing ring;
    ring.add(kDay + 0.1, 1);
    ring.add(kDay + 10.2, 2);
    ring.add(kDay + 29.8, 4);  // slot 2 never sampled
    ring.add(kDay + 40.0, kGap);
    const auto grid = phaseGrid(ring, kDay, kDay + 100, 10);
    ASSERT_EQ(grid.size(), 5u);
    EXPECT_EQ(grid[0], 1);
    EXPECT_EQ(grid[1], 2);
    EXPECT_TRUE(std::isnan(grid[2]));
    EXPECT_EQ(grid[3], 4);
    EXPECT_TRUE(std::isnan(grid[4]));
}

TEST(LeadingValue, ReadsANumberAtTheStartOrGivesAGap) {
    EXPECT_DOUBLE_EQ(leadingValue("+1.25E-08\r\n"), 1.25e-08);
    EXPECT_DOUBLE_EQ(leadingValue("  -42,1"), -42);
    EXPECT_DOUBLE_EQ(leadingValue(".5"), 0.5);
    EXPECT_TRUE(std::isnan(leadingValue("\"12:00:00\"")));
    EXPECT_TRUE(std::isnan(leadingValue("")));
    EXPECT_TRUE(std::isnan(leadingValue("-")));
    EXPECT_TRUE(std::isnan(leadingValue("9.91E+37")));  // SCPI's "not a number"
}

TEST(IsoUtc, WritesAndReadsUtcWithMilliseconds) {
    EXPECT_EQ(isoUtc(kDay + 3723.25), "2026-12-07T01:02:03.250Z");
    EXPECT_EQ(isoUtc(kDay + 59.9996), "2026-12-07T00:01:00.000Z");
    double back = 0;
    ASSERT_TRUE(parseIsoUtc("2026-12-07T01:02:03.250Z", back));
    EXPECT_DOUBLE_EQ(back, kDay + 3723.25);
    ASSERT_TRUE(parseIsoUtc("2026-12-07T01:02:03Z", back));
    EXPECT_FALSE(parseIsoUtc("2026-12-07 01:02:03", back));
    EXPECT_FALSE(parseIsoUtc("2026-1x-07T01:02:03Z", back));
}

std::string temporaryPath() {
    char path[] = "/tmp/kestrix-trend-XXXXXX";
    const int fd = mkstemp(path);
    close(fd);
    std::remove(path);
    return path;
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RecordWriter, WritesEachLineThroughAndReadsItBack) {
    const std::string kAwkwardReply = "E-113> \"odd, \"\"quoted\"\"\"\r\nsecond line";
    const std::string path = temporaryPath();
    {
        RecordWriter writer(posixFiles);
        ASSERT_TRUE(writer.open(path, 1));
        ASSERT_TRUE(writer.write({kDay + 1, ":SYNC:TINT?", 1.5e-8, "+1.5E-08\r\n"}));
        // Already in the file while the writer is still open, the reply's line end left out.
        EXPECT_EQ(contents(path),
                  "# interval 1 s\ntime,query,value,reply\n"
                  "2026-12-07T00:00:01.000Z,\":SYNC:TINT?\",1.5e-08,\"+1.5E-08\"\n");
        ASSERT_TRUE(writer.write({kDay + 2, ":DIAG:ROSC:EFC:ABS?", kGap, kAwkwardReply}));
    }
    {
        RecordWriter again(posixFiles);  // appending to a file that has its heading adds no second one
        ASSERT_TRUE(again.open(path, 1));
        ASSERT_TRUE(again.write({kDay + 3, ":SYNC:TINT?", -2e-9, "-2E-09"}));
    }
    const RecordedFile file = readRecordedFile(posixFiles, path);
    EXPECT_FALSE(file.tornLastLine);
    EXPECT_EQ(file.unreadableLines, 0u);
    EXPECT_EQ(file.queries, (std::vector<std::string>{":SYNC:TINT?", ":DIAG:ROSC:EFC:ABS?"}));
    const auto& tint = file.series.at(":SYNC:TINT?");
    ASSERT_EQ(tint.size(), 2u);
    EXPECT_EQ(tint[0].value, 1.5e-8);
    EXPECT_EQ(tint[0].reply, "+1.5E-08");
    EXPECT_EQ(file.interval, 1);
    EXPECT_EQ(tint[1].time, kDay + 3);
    const auto& efc = file.series.at(":DIAG:ROSC:EFC:ABS?");
    EXPECT_TRUE(std::isnan(efc[0].value));
    EXPECT_EQ(efc[0].reply, kAwkwardReply);
    EXPECT_EQ(file.notice(path), "");
    std::remove(path.c_str());
}

TEST(RecordWriter, AFileThatCannotBeOpenedSaysWhy) {
    RecordWriter writer(posixFiles);
    EXPECT_FALSE(writer.open("/nonexistent-dir/trend.csv", 10));
    EXPECT_EQ(writer.error(), "No such file or directory");
    EXPECT_FALSE(writer.write({kDay, "q?", 1, "1"}));
}

TEST(RecordedFile, ATornLastLineIsSkippedAndSaid) {
    const std::string whole =
        "time,query,value,reply\n"
        "2026-12-07T00:00:01.000Z,\":SYNC:TINT?\",1e-08,\"+1E-08\"\n"
        "2026-12-07T00:00:02.000Z,\":SYNC:TINT?\",2e-08,\"+2E-08\"\n";
    // Cut anywhere inside the last line, even inside its quoted reply.
    for (std::size_t cut : {whole.size() - 1, whole.size() - 5, whole.size() - 30}) {
        const RecordedFile file = parseRecordedText(whole.substr(0, cut));
        EXPECT_TRUE(file.tornLastLine);
        ASSERT_EQ(file.series.at(":SYNC:TINT?").size(), 1u);
        EXPECT_EQ(file.notice("t.csv"), "The last line of t.csv was cut short and was skipped.");
    }
    const RecordedFile garbled = parseRecordedText(whole + "not,a,sample\n");
    EXPECT_FALSE(garbled.tornLastLine);
    EXPECT_EQ(garbled.series.at(":SYNC:TINT?").size(), 2u);
    EXPECT_EQ(garbled.notice("t.csv"), "1 line of t.csv could not be read and was skipped.");
    EXPECT_FALSE(readRecordedFile(posixFiles, "/nonexistent-dir/trend.csv").error.empty());
}

// Every record on a line of its own, whatever its reply holds; the reply read back as received
// but for its line end.
TEST(RecordWriter, KeepsEachRecordOnOneLineAndEveryByteOfTheReplyButItsLineEnd) {
    const struct {
        std::string reply, readBack;
    } cases[] = {
        {"+1.5E-08\r\n", "+1.5E-08"},
        {"E-113> \"odd, \"\"quoted\"\"\"\r\nsecond line\r\n", "E-113> \"odd, \"\"quoted\"\"\"\r\nsecond line"},
        {"tab\there \\x41 back\\slash\x01\x7f\xe9\r", "tab\there \\x41 back\\slash\x01\x7f\xe9"},
        {"\n\n", ""},
    };
    const std::string path = temporaryPath();
    RecordWriter writer(posixFiles);
    ASSERT_TRUE(writer.open(path, 10));
    double time = kDay;
    for (const auto& c : cases) ASSERT_TRUE(writer.write({time += 10, ":Q?", 1, c.reply}));
    writer.setInterval(60);  // its line goes before the next record
    ASSERT_TRUE(writer.write({time += 60, ":Q?", 1, "x\r\n"}));
    writer.close();
    const std::string text = contents(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + std::ssize(cases) + 2);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 0);
    EXPECT_NE(text.find("\n# interval 60 s\n"), std::string::npos);
    const RecordedFile file = readRecordedFile(posixFiles, path);
    EXPECT_EQ(file.unreadableLines, 0u);
    const auto& read = file.series.at(":Q?");
    ASSERT_EQ(read.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(read[i].reply, cases[i].readBack) << i;
    EXPECT_EQ(file.interval, 10);  // most readings were taken at 10 s
    std::remove(path.c_str());
}

// A file written before records carried their interval: line ends inside quoted replies, no
// escapes, stamps as the requests went out. It opens as it always did, its interval the most
// common spacing to the whole second; appending to it starts the new way with an interval line.
TEST(RecordedFile, AnOlderFileOpensWithItsMostCommonSpacingAndTakesNewRecordsAfterIt) {
    const std::string older =
        "time,query,value,reply\n"
        "2026-12-07T00:00:00.020Z,\":SYNC:TINT?\",1e-08,\"+1E-08\r\n\"\n"
        "2026-12-07T00:00:00.950Z,\":SYNC:TINT?\",2e-08,\"+2E-08\\n\r\n\"\n"
        "2026-12-07T00:00:02.060Z,\":SYNC:TINT?\",3e-08,\"+3E-08\r\n\"\n"
        "2026-12-07T00:00:04.010Z,\":SYNC:TINT?\",4e-08,\"+4E-08\r\n\"\n";
    const RecordedFile file = parseRecordedText(older);
    EXPECT_EQ(file.unreadableLines, 0u);
    EXPECT_EQ(file.interval, 1);  // spacings 0.93, 1.11, 1.95: 1, 1, 2
    ASSERT_EQ(file.series.at(":SYNC:TINT?").size(), 4u);
    EXPECT_EQ(file.series.at(":SYNC:TINT?")[1].reply, "+2E-08\\n\r\n");  // no escapes in such a file

    const std::string path = temporaryPath();
    std::ofstream(path, std::ios::binary) << older;
    RecordWriter writer(posixFiles);
    ASSERT_TRUE(writer.open(path, 1));
    ASSERT_TRUE(writer.write({kDay + 5, ":SYNC:TINT?", 5e-8, "+5E-08\\n\r\n"}));
    writer.close();
    const RecordedFile appended = readRecordedFile(posixFiles, path);
    EXPECT_EQ(appended.unreadableLines, 0u);
    const auto& tint = appended.series.at(":SYNC:TINT?");
    ASSERT_EQ(tint.size(), 5u);
    EXPECT_EQ(tint[1].reply, "+2E-08\\n\r\n");
    EXPECT_EQ(tint[4].reply, "+5E-08\\n");
    std::remove(path.c_str());
}

TEST(RecordedFile, ReadingABlockAtATimeAgreesWithReadingItWhole) {
    const std::string lines =
        "time,query,value,reply\n"
        "2026-12-07T00:00:01.000Z,\":SYNC:TINT?\",1e-08,\"+1E-08\r\n\"\n"
        "2026-12-07T00:00:01.500Z,\":DIAG:ROSC:EFC:ABS?\",,\"E-113> \"\"odd, quoted\"\"\r\nsecond line\"\r\n"
        "2026-12-07T23:59:59.999Z,\":SYNC:TINT?\",-2e-09,\"-2E-09\"\n"
        "not,a,sample\n"
        "time,\"quoted\",,\"heading\"\n"
        "2026-12-07\"\"T23:59:59.999Z,\":DIAG:ROSC:EFC:ABS?\",1,\"quotes in the time\"\n"
        "2026-12-08T00:00:00.25Z,\":SYNC:TINT?\",3e-09,\"+3E-09\"\n";
    const std::string path = temporaryPath();
    for (const std::string& text :
         {lines, lines.substr(0, lines.size() - 1), lines.substr(0, lines.size() - 12), lines + "\"\""}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        const RecordedFile whole = parseRecordedText(text);
        for (std::size_t block : {1u, 2u, 7u, 64u, 1u << 20}) {
            SCOPED_TRACE(block);
            std::map<std::string, std::vector<RecordedSample>> streamed;
            const RecordedFile scan = scanRecordedFile(
                posixFiles, path,
                [&](double t, const std::string& q, double v) {
                    streamed[q].push_back({t, q, v, ""});
                },
                block);
            EXPECT_EQ(scan.queries, whole.queries);
            EXPECT_EQ(scan.tornLastLine, whole.tornLastLine);
            EXPECT_EQ(scan.unreadableLines, whole.unreadableLines);
            ASSERT_EQ(streamed.size(), whole.series.size());
            for (const auto& [query, samples] : whole.series) {
                ASSERT_EQ(streamed[query].size(), samples.size()) << query;
                for (std::size_t i = 0; i < samples.size(); ++i) {
                    EXPECT_EQ(streamed[query][i].time, samples[i].time);
                    EXPECT_TRUE(streamed[query][i].value == samples[i].value ||
                                (std::isnan(samples[i].value) && std::isnan(streamed[query][i].value)));
                }
            }
        }
    }
    std::remove(path.c_str());
    bool called = false;
    EXPECT_FALSE(scanRecordedFile(posixFiles, "/nonexistent-dir/trend.csv", [&](double, const std::string&, double) {
                     called = true;
                 }).error.empty());
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace kestrix
