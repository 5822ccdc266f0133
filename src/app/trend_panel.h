#pragma once

#include <QStringList>
#include <QWidget>

#include <cstdint>

#include "app/event_sink.h"
#include "platform/qt/twips.h"
#include "state/trend_forms.h"

class QFontMetrics;
class QLabel;
class QTableWidget;

namespace kestrix::app {

// Figures ("last 33.58 ns", "mean ...", ... "(3600 samples)") packed into as few lines as fit
// `width` pixels, a figure never split across lines.
QStringList figureLines(const QStringList& figures, const QFontMetrics& metrics, int width);

// The trend window's plots and stability table, drawn into the window's plot area from the plot
// state the trend publishes (FrmTrend::plot): one strip per series against UTC with its figures,
// the log-log stability plot and the table beside it. Zoom and pan by mouse (wheel, drag) and
// keyboard (+, -, arrows, Home) go to the trend as the window's events through the event sink,
// and the plot image the trend asks for is written here.
class TrendPanel final : public QWidget {
public:
    TrendPanel(FrmTrend& form, QWidget& canvas, EventSink& sink, const platform::qt::Twips& twips);

    // Brings the widgets up to date with the published plot state; runs after every event the
    // program handles, and draws only when the trend has published something new.
    void refresh();
    QWidget& plot() const { return *plot_; }
    QWidget& stabilityPlot() const { return *stabilityPlot_; }
    QTableWidget& table() const { return *table_; }
    QLabel& stabilityNote() const { return *note_; }

private:
    // Writes the image the trend asked for and tells it how that went.
    void writePlotImage();
    void fillTable();

    FrmTrend& form_;
    EventSink& sink_;
    const platform::qt::Twips& twips_;
    QWidget* plot_;
    QWidget* stabilityPlot_;
    QTableWidget* table_;
    QLabel* note_;
    std::uint64_t shownRevision_ = 0;
    Rect shownArea_;
};

}  // namespace kestrix::app
