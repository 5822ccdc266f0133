// Start-up sizes the windows with the real font metrics: the status view holds 82 by 25 "M" of the
// status font, and the clock view shows only the band above the status display.

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QMainWindow>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <cmath>

#include "gui_test_support.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "platform/qt/qt_font.h"
#include "platform/qt/qt_text_measurer.h"
#include "program/kestrix.h"

namespace kestrix::gui_test {
namespace {

struct StartedProgram : WithApplication {
    explicit StartedProgram(const std::string& settings) {
        fakes.profile.text = settings;
        renderer.render();
        renderer.forward([this] { program.start(); });
        renderer.render();  // as the next event would: the frames are known once the windows show
    }
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::qt::QtTextMeasurer measurer;
    platform::Platform platform = fakes.platformWith(port, &measurer);
    Kestrix program{platform};
    app::Renderer renderer{program.forms.all()};
};

TEST(StartupSizes, WithoutASettingsFileTheStatusViewHolds82By25OfTheStatusFont) {
    StartedProgram started("");
    Form1& form1 = started.program.forms.form1;
    const FontSpec statusFont{"Courier New", 9.0f, false, false};
    ASSERT_EQ(form1.Term.font, statusFont);
    const int width = started.measurer.textWidth(std::string(82, 'M'), statusFont);
    std::string screen = "M";
    for (int i = 1; i < 25; ++i) screen += "\rM";
    const int height = started.measurer.textHeight(screen, statusFont);
    EXPECT_EQ(form1.innerWidth(), width);
    EXPECT_EQ(form1.innerHeight(), height);

    // The widget follows, within a pixel of rounding.
    QWidget& window = started.renderer.viewOf(form1)->widget();
    const QFontMetricsF metrics(platform::qt::toQFont(statusFont));
    EXPECT_NEAR(window.width(), 82 * metrics.horizontalAdvance('M'), 2.0);
    const QFontMetrics lines(platform::qt::toQFont(statusFont));
    const int menuBar = static_cast<QMainWindow&>(window).menuBar()->height();
    EXPECT_NEAR(window.height() - menuBar, 25 * lines.lineSpacing(), 2.0);
}

TEST(StartupSizes, TheClockViewOpensTheClockWindowAndShowsOnlyTheBand) {
    StartedProgram started("[Miscellaneous]\r\nFunction=1\r\n");
    Forms& forms = started.program.forms;
    EXPECT_TRUE(started.renderer.viewOf(forms.frmClock)->widget().isVisible());
    EXPECT_EQ(forms.form1.innerHeight(), forms.form1.Line1.y2);
    QWidget& window = started.renderer.viewOf(forms.form1)->widget();
    const int menuBar = static_cast<QMainWindow&>(window).menuBar()->height();
    EXPECT_NEAR(window.height() - menuBar, 20, 2.0);  // 300 twips at 96 dots per inch
}

}  // namespace
}  // namespace kestrix::gui_test
