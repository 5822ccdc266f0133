#include "shared/session_record.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(SessionRecord, BytesAreEscapedReadablyAndReadBackExactly) {
    const struct {
        std::string bytes, text;
    } cases[] = {
        {"*IDN?\r\n", "*IDN?\\r\\n"},
        {"scpi > ", "scpi >\\x20"},  // a space that ends the line survives editors
        {" lead  inner", " lead  inner"},
        {"C:\\path\\", "C:\\\\path\\\\"},
        {"\t\x1b[2J\x7f", "\\t\\x1B[2J\\x7F"},
        {std::string("\0\xff\xb0", 3), "\\x00\\xFF\\xB0"},  // NUL and Latin-1
        {"\\x41", "\\\\x41"},                               // text that looks like an escape
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapeBytes(c.bytes), c.text) << c.text;
        std::string back;
        EXPECT_TRUE(unescapeBytes(c.text, back)) << c.text;
        EXPECT_EQ(back, c.bytes) << c.text;
    }
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    const std::string text = escapeBytes(all);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    std::string back;
    ASSERT_TRUE(unescapeBytes(text, back));
    EXPECT_EQ(back, all);
}

TEST(SessionRecord, MalformedEscapesAreRefused) {
    for (const char* text : {"\\", "ab\\", "\\q", "\\x4", "\\xG1", "\\x"}) {
        std::string bytes;
        EXPECT_FALSE(unescapeBytes(text, bytes)) << text;
    }
}

TEST(SessionRecord, ChunksRoundTripThroughTheTextWithTheirTimeAndDirection) {
    const std::vector<RecordedChunk> chunks = {
        {1796721166.123, TrafficDirection::Sent, "*IDN?\r\n"},
        {1796721166.180, TrafficDirection::Received, "Morvandelle,73408K\r\nscpi > "},
        {1796721167.999, TrafficDirection::Received, std::string("\0\r", 2)},
    };
    std::string text(kSessionRecordHeading);
    text += "# started on COM1\n\n";
    for (const RecordedChunk& chunk : chunks) text += recordLine(chunk);
    EXPECT_EQ(recordLine(chunks[0]), "2026-12-08T09:12:46.123Z > *IDN?\\r\\n\n");

    const ParsedRecord parsed = parseRecord(text);
    EXPECT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.chunks.size(), chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_NEAR(parsed.chunks[i].utcSeconds, chunks[i].utcSeconds, 0.0005);
        EXPECT_EQ(parsed.chunks[i].direction, chunks[i].direction);
        EXPECT_EQ(parsed.chunks[i].bytes, chunks[i].bytes);
    }
    // A record that went through an editor that ends lines with CR LF reads the same.
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(parseRecord(crlf).chunks.size(), chunks.size());
}

TEST(SessionRecord, AnUnreadableLineIsNamedAndWhatCameBeforeIsKept) {
    const std::string good = "2026-12-08T09:12:46.123Z > *CLS\\r\\n\n";
    const struct {
        std::string text;
        std::size_t line;
        std::string why;
    } cases[] = {
        {"", 1, "not a Kestrix session record"},
        {"2026-12-08T09:12:46.123Z > x\n", 1, "not a Kestrix session record"},
        {"# Kestrix session record, format 2\n", 1, "format 2 is not one this program reads"},
        {std::string(kSessionRecordHeading) + good + "2026-12-08T09:12:46.123Z = x\n", 3, "direction"},
        {std::string(kSessionRecordHeading) + good + "2026-13-08T09:12:46.123Z > x\n", 3, "time"},
        {std::string(kSessionRecordHeading) + good + "2026-12-08 09:12:46.123Z > x\n", 3, "time"},
        {std::string(kSessionRecordHeading) + good + "2026-12-08T09:12:46.123Z > \\z\n", 3, "escape"},
        {std::string(kSessionRecordHeading) + good + "garbage\n", 3, "expected"},
    };
    for (const auto& c : cases) {
        const ParsedRecord parsed = parseRecord(c.text);
        EXPECT_EQ(parsed.errorLine, c.line) << c.text;
        EXPECT_NE(parsed.error.find(c.why), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.chunks.size(), c.line == 3 ? 1u : 0u) << c.text;
    }
}

}  // namespace
}  // namespace kestrix
