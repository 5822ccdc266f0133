// The desktop services' own conversions.

#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "platform/qt/file_filter.h"
#include "platform/qt/latin1.h"
#include "platform/qt/qt_font.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_text_measurer.h"

namespace kestrix::platform::qt {
namespace {

TEST(FileFilter, PairsBecomeQtFiltersAndStarDotStarIsEveryFile) {
    EXPECT_EQ(toQtFileFilter("Download Files (*.s)|*.s|All Files (*.*)|*.*"), "Download Files (*.s);;All Files (*)");
    EXPECT_EQ(toQtFileFilter("Records|*.s;*.srec"), "Records (*.s *.srec)");
}

TEST(HelpViewer, FindsTheShippedPageAtItsKeywordsAnchor) {
    EXPECT_EQ(QtHelpViewer::anchorOf("Kestrix Help"), "kestrix-help");
    EXPECT_TRUE(QtHelpViewer::locate("kestrix.hlp").endsWith("kestrix.html"));
}

TEST(TextMeasurer, MeasuresTheWidestLineAndEveryLine) {
    gui_test::application();
    QtTextMeasurer measurer(Twips(96, 96));
    const FontSpec courier{"Courier New", 10.0f, false, false};
    const int one = measurer.textWidth("MMMM", courier);
    EXPECT_GT(one, 0);
    EXPECT_EQ(measurer.textWidth("MM\r\nMMMM\rM\nMMM", courier), one);
    const int line = measurer.textHeight("M", courier);
    EXPECT_EQ(measurer.textHeight("M\r\nM\rM", courier), 3 * line);
    EXPECT_NEAR(measurer.textWidth("MMMMMMMM", courier), 2 * one, 2);
    EXPECT_EQ(measurer.usableSize({"Arial", 5000.0f, false, false}), kLargestPointSize);
}

TEST(Lines, EachKindOfLineBreakIsOneBreak) {
    EXPECT_EQ(linesFromBytes("a\r\nb\rc\nd\n\re"), "a\nb\nc\nd\ne");
    EXPECT_EQ(linesFromBytes("a\r\n\r\nb\n\nc"), "a\n\nb\n\nc");
}

}  // namespace
}  // namespace kestrix::platform::qt
