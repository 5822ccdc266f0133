#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>

#include "app/event_sink.h"
#include "platform/qt/twips.h"
#include "trend/trend_window.h"

class QFontMetrics;
class QLabel;
class QTableWidget;

namespace kestrix::app {

// The figures under a strip ("last 33.58 ns", "mean ...", ... "(3600 samples)") packed into as
// few lines as fit `width` pixels, a figure never split across lines.
QStringList figureLines(const trend::SpanFigures& figures, const QString& unit, const QFontMetrics& metrics, int width);

// The trend window's plots and stability table, drawn from the trend's state into the window's
// plot area: one strip per series against UTC with its figures, the log-log stability plot and
// the table beside it. Zoom and pan by mouse (wheel, drag) and keyboard (+, -, arrows, Home) go
// to the trend through the event sink. The trend's file dialogs and plot image are served here.
class TrendPanel final : public QWidget {
public:
    TrendPanel(trend::TrendWindow& trend, FrmTrend& form, QWidget& canvas, EventSink& sink,
               const platform::qt::Twips& twips);

    // Brings the widgets up to date with the trend; runs after every event the program handles,
    // cheap when nothing changed. A change of view is drawn at once; new samples are drawn as
    // often as keeps the drawing's share of the processor under a thousandth (a week of samples:
    // every few seconds), those held back by a timer set only then.
    void refresh();
    QWidget& plot() const { return *plot_; }
    QWidget& stabilityPlot() const { return *stabilityPlot_; }
    QTableWidget& table() const { return *table_; }
    QLabel& stabilityNote() const { return *note_; }

private:
    void fillTable();

    trend::TrendWindow& trend_;
    FrmTrend& form_;
    EventSink& sink_;
    const platform::qt::Twips& twips_;
    QWidget* plot_;
    QWidget* stabilityPlot_;
    QTableWidget* table_;
    QLabel* note_;
    QTimer heldBack_;  // the draw of samples held back, when one is
    std::uint64_t shownRevision_ = 0;
    std::uint64_t shownView_ = 0;
    QElapsedTimer sinceDrawn_;
    qint64 drawingCostNs_ = 0;
    Rect shownArea_;
    bool followingInfo_ = false;
};

}  // namespace kestrix::app
