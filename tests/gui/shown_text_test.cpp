#include "app/shown_text.h"

#include <gtest/gtest.h>

namespace kestrix::app {
namespace {

TEST(ShownText, EveryKindOfLineBreakIsOneShownCharacter) {
    ShownText shown;
    EXPECT_EQ(shown.reset("a\r\nb\rc\nd"), QString("a\nb\nc\nd"));
    EXPECT_EQ(shown.byteCount(), 8u);
    EXPECT_EQ(shown.shownCount(), 7u);
    EXPECT_EQ(bytesOfShown(QString("x\ny") + QChar(QChar::ParagraphSeparator) + "z"), "x\r\ny\r\nz");
    EXPECT_EQ(bytesOfShown(QString::fromUtf8("\xE2\x82\xAC")), "?");  // outside Latin-1
}

TEST(ShownText, PositionsMapBothWaysAroundCrLf) {
    ShownText shown;
    shown.reset("ab\r\ncd\r\n\r\ne");
    // bytes: a0 b1 CR2 LF3 c4 d5 CR6 LF7 CR8 LF9 e10; shown: a0 b1 \n2 c3 d4 \n5 \n6 e7
    const std::size_t bytes[] = {0, 1, 2, 4, 5, 6, 8, 10, 11};
    const std::size_t shownAt[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    for (std::size_t i = 0; i < std::size(bytes); ++i) {
        EXPECT_EQ(shown.toShown(bytes[i]), shownAt[i]) << "byte " << bytes[i];
        EXPECT_EQ(shown.toBytes(shownAt[i]), bytes[i]) << "shown " << shownAt[i];
    }
    EXPECT_EQ(shown.toShown(3), 3u);  // between CR and LF: after the break
    EXPECT_EQ(shown.toBytes(100), 11u);
}

TEST(ShownText, ReindexingMapsLikeResetting) {
    const std::string bytes = "\nx\r\n\r\ry\r\nz\r";
    ShownText reset, reindexed;
    reset.reset(bytes);
    reindexed.reindex(bytes);
    EXPECT_EQ(reindexed.shownCount(), reset.shownCount());
    for (std::size_t i = 0; i <= bytes.size(); ++i) EXPECT_EQ(reindexed.toShown(i), reset.toShown(i));
    EXPECT_EQ(reindexed.append("\n"), reset.append("\n"));
}

TEST(ShownText, AnAppendedLfCompletesTheCrThatEndedTheText) {
    ShownText shown;
    EXPECT_EQ(shown.reset("one\r"), QString("one\n"));
    EXPECT_EQ(shown.append("\ntwo\r"), QString("two\n"));
    EXPECT_EQ(shown.append("\r\n"), QString("\n"));
    EXPECT_EQ(shown.shownCount(), 9u);  // one\ntwo\n\n
    EXPECT_EQ(shown.toBytes(8), 9u);    // the last break is the CR LF at byte 9
    EXPECT_EQ(shown.toBytes(9), 11u);
    EXPECT_EQ(shown.toShown(5), 4u);
}

}  // namespace
}  // namespace kestrix::app
