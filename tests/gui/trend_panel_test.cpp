// The trend window rendered: two series plotted with their figures, zoom by keyboard and wheel,
// the stability plot and its table as a real table widget.

#include "app/trend_panel.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

#include "gui_test_support.h"
#include "platform/fake_platform.h"
#include "platform/fake_serial_port.h"
#include "program/kestrix.h"
#include "trend/trend_window.h"

namespace kestrix::gui_test {
namespace {

constexpr double kDay = 1796601600;  // 2026-12-07T00:00:00Z

// Pixels that are neither white nor the light grey of a frame: what the curves drew.
int inkedPixels(const QImage& image, QRect within) {
    int inked = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 120 && c.red() < 100) ++inked;  // the series' blue
        }
    return inked;
}

class TrendPanelRender : public ::testing::Test, private WithApplication {
protected:
    platform::FakeSerialPort port;
    platform::FakeServices fakes;
    platform::Platform platform = fakes.platformWith(port);
    Kestrix program{platform};
    app::Renderer renderer{program.forms.all(), platform::qt::Twips(96, 96)};
    FrmTrend& form = program.forms.frmTrend;
    TrendWindow& trend = program.trend();
    app::TrendPanel panel{form, renderer.viewOf(form)->canvas(), renderer, renderer.twips()};

    void SetUp() override {
        renderer.render();
        renderer.forward([this] {
            program.forms.form1.funcTrend.onClick();
            form.mnuTrendTint.onClick();
            form.mnuTrendEfc.onClick();
            form.mnuInterval1s.onClick();
        });
        // An hour of both series, one sample a second: a wandering time interval and a slow EFC.
        for (int i = 0; i < 3600; ++i) {
            trend.addSample(kTimeIntervalQuery, kDay + i,
                            33e-9 + 2e-9 * std::sin(i / 300.0) + 0.5e-9 * std::sin(i * 7.1), "r");
            trend.addSample(kEfcQuery, kDay + i, 48.7 + i * 1e-4, "r");
        }
        renderer.forward([this] { form.mnuTrendShowAll.onClick(); });  // the samples reach the plot at once
        renderer.render();
        panel.refresh();
    }
};

TEST_F(TrendPanelRender, OpensWithTwoSeriesAndDrawsThemTheStabilityAndItsTable) {
    ASSERT_TRUE(renderer.viewOf(form)->widget().isVisible());
    ASSERT_EQ(trend.series().size(), 2u);
    const QImage image = panel.plot().grab().toImage();
    const int half = image.height() / 2;
    EXPECT_GT(inkedPixels(image, QRect(80, 0, image.width() - 100, half)), 100);         // time interval
    EXPECT_GT(inkedPixels(image, QRect(80, half, image.width() - 100, half - 20)), 50);  // EFC
    EXPECT_GT(inkedPixels(panel.stabilityPlot().grab().toImage(), panel.stabilityPlot().rect()), 20);

    const auto rows = trend.table().rows;
    ASSERT_FALSE(rows.empty());
    QTableWidget& table = panel.table();
    EXPECT_EQ(table.accessibleName(), "Stability table");
    ASSERT_EQ(table.rowCount(), static_cast<int>(rows.size()));
    EXPECT_EQ(table.horizontalHeaderItem(1)->text(), "Overlapping ADEV");
    EXPECT_EQ(table.item(0, 0)->text(), "1");
    EXPECT_EQ(table.item(0, 1)->text().toStdString(), rows[0][1]);
}

TEST_F(TrendPanelRender, ChosenStatisticsAndMasksReachThePlotAndTheTable) {
    form.mnuTrendMtie.onClick();
    form.mnuTrendMaskPrtcA.onClick();
    panel.refresh();
    const auto headings = trend.table().headings;
    QTableWidget& table = panel.table();
    ASSERT_EQ(table.columnCount(), static_cast<int>(headings.size()));
    EXPECT_EQ(table.horizontalHeaderItem(table.columnCount() - 2)->text(), "MTIE (s)");
    // MTIE is drawn in its own colour (teal), which no other statistic uses.
    const QImage image = panel.stabilityPlot().grab().toImage();
    int teal = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) teal += image.pixelColor(x, y) == QColor(0, 130, 140) ? 1 : 0;
    EXPECT_GT(teal, 10);
    EXPECT_FALSE(form.lblTrendMasks.caption.empty());
}

TEST_F(TrendPanelRender, ZoomChangesTheVisibleSpanAndTheFigures) {
    const auto before = trend.visibleSpan();
    const auto figuresBefore = trend.figures(1);
    QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
    QApplication::sendEvent(&panel.plot(), &plus);
    const auto zoomed = trend.visibleSpan();
    EXPECT_NEAR(zoomed.to - zoomed.from, (before.to - before.from) / 2, 1e-6);
    EXPECT_LT(trend.figures(1).count, figuresBefore.count);
    EXPECT_GT(trend.figures(1).minimum, figuresBefore.minimum);

    // The wheel zooms out again about the pointer.
    QWheelEvent wheel(QPointF(200, 50), QPointF(200, 50), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&panel.plot(), &wheel);
    const auto out = trend.visibleSpan();
    EXPECT_GT(out.to - out.from, zoomed.to - zoomed.from);
    panel.refresh();
    EXPECT_FALSE(panel.plot().grab().toImage().isNull());
}

// At the window's default width the figures under a strip are wrapped rather than cut off:
// every line fits the strip, and the sample count is there. The table says what it stands on.
TEST_F(TrendPanelRender, TheFiguresFitTheStripAtTheDefaultWidthAndTheTableSaysItsBasis) {
    ASSERT_EQ(renderer.viewOf(form)->widget().width(), 800);
    const QFontMetrics metrics = panel.plot().fontMetrics();
    const int width = panel.plot().width() - 90;  // less the value axis and the right margin
    QStringList figures;                          // the time interval's, in ns
    for (const std::string& figure : form.plot.strips.at(0).figures) figures << QString::fromStdString(figure);
    const QStringList lines = app::figureLines(figures, metrics, width);
    EXPECT_GE(lines.size(), 2);
    for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
    EXPECT_TRUE(lines.join(' ').contains(QStringLiteral("std dev ")));
    EXPECT_TRUE(lines.back().endsWith(QStringLiteral("(3600 samples)")));
    EXPECT_EQ(panel.stabilityNote().text(), QStringLiteral("Tau0 1 s: 3600 slots, 0 empty"));
}

// The plot tells the trend its width once laid out, and the strips come back one column a pixel.
TEST_F(TrendPanelRender, TheStripsComeBackInOneColumnPerPixelOfThePlot) {
    QCoreApplication::processEvents();
    const int columns = panel.plot().width() - 90;  // less the value axis and the right margin
    EXPECT_EQ(form.plotColumns, columns);
    ASSERT_EQ(form.plot.strips.size(), 2u);
    EXPECT_EQ(form.plot.strips[1].columns.size(), static_cast<std::size_t>(columns));
}

TEST_F(TrendPanelRender, SavePlotWritesAPng) {
    const std::string path = "/tmp/kestrix-trend-plot-test.png";
    fakes.dialogs.saveAnswer = path;
    renderer.forward([this] { form.mnuTrendSavePlot.onClick(); });
    panel.refresh();  // the display layer writes the image the trend asked for
    QImage written(QString::fromStdString(path));
    EXPECT_FALSE(written.isNull());
    EXPECT_GT(written.width(), 100);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace kestrix::gui_test
