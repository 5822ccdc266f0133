#include "app/trend_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

namespace kestrix::app {

namespace {

constexpr int kLeftMargin = 78;
constexpr int kRightMargin = 12;
constexpr int kTitleHeight = 18;
constexpr int kFigureLineHeight = 16;
// Between the figures under a strip.
constexpr const char* kFigureGap = "   ";
constexpr int kTimeAxisHeight = 20;
// Pixels a value tick needs.
constexpr int kTickHeight = 28;

QStringList qStrings(const std::vector<std::string>& texts) {
    QStringList out;
    for (const auto& text : texts) out << QString::fromStdString(text);
    return out;
}

// The strips of the series against UTC, each with its figures over the visible span, drawn from
// the trend's plot state. Zoom and pan by mouse and keyboard go to the trend as the window's events.
class TrendPlot final : public QWidget {
public:
    TrendPlot(FrmTrend& form, EventSink& sink, QWidget* parent) : QWidget(parent), form_(form), sink_(sink) {
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(QStringLiteral("Trend plot"));
        setMinimumSize(200, 120);
    }

    std::function<void()> onViewChanged;

protected:
    int plotWidth() const { return std::max(1, width() - kLeftMargin - kRightMargin); }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const TrendPlotState& plot = form_.plot;
        if (plot.strips.empty()) {
            p.drawText(rect(), Qt::AlignCenter, QString::fromStdString(plot.emptyText));
            return;
        }
        const int n = static_cast<int>(plot.strips.size());
        const int stripHeight = (height() - kTimeAxisHeight) / n;
        for (int i = 0; i < n; ++i)
            drawStrip(p, QRect(0, i * stripHeight, width(), stripHeight), plot.strips[static_cast<std::size_t>(i)]);
        drawTimeAxis(p, QRect(kLeftMargin, n * stripHeight, plotWidth(), kTimeAxisHeight), plot.timeTicks);
    }

    // The strips' width goes to the trend, which reduces the readings to one column per pixel.
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        QTimer::singleShot(0, this, [this] {
            const int columns = plotWidth();
            if (columns == form_.plotColumns) return;
            forward([this, columns] {
                if (form_.onPlotColumns) form_.onPlotColumns(columns);
            });
        });
    }

    void wheelEvent(QWheelEvent* event) override {
        const double anchor = std::clamp((event->position().x() - kLeftMargin) / plotWidth(), 0.0, 1.0);
        const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
        forward([this, factor, anchor] {
            if (form_.onPlotZoom) form_.onPlotZoom(factor, anchor);
        });
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override { dragX_ = event->position().x(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton)) return;
        const double dx = event->position().x() - dragX_;
        if (std::abs(dx) < 2) return;
        dragX_ = event->position().x();
        forward([this, fraction = -dx / plotWidth()] {
            if (form_.onPlotPan) form_.onPlotPan(fraction);
        });
    }
    void mouseDoubleClickEvent(QMouseEvent*) override { click(form_.mnuTrendShowAll); }
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal: click(form_.mnuTrendZoomIn); break;
            case Qt::Key_Minus: click(form_.mnuTrendZoomOut); break;
            case Qt::Key_Left: click(form_.mnuTrendPanLeft); break;
            case Qt::Key_Right: click(form_.mnuTrendPanRight); break;
            case Qt::Key_Home: click(form_.mnuTrendShowAll); break;
            default: QWidget::keyPressEvent(event); return;
        }
        event->accept();
    }

private:
    void forward(const std::function<void()>& action) {
        sink_.forward(action);
        if (onViewChanged) onViewChanged();
    }
    void click(MenuItem& item) {
        forward([&item] {
            if (item.onClick) item.onClick();
        });
    }

    void drawStrip(QPainter& p, const QRect& strip, const TrendStrip& s) {
        const int width = plotWidth();
        p.setPen(Qt::black);
        p.drawText(QRect(kLeftMargin, strip.top(), width, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(s.heading));
        const QStringList figures = figureLines(qStrings(s.figures), p.fontMetrics(), width);
        const int figuresHeight = kFigureLineHeight * static_cast<int>(figures.size()) + 2;
        const QRect area(kLeftMargin, strip.top() + kTitleHeight, width,
                         strip.height() - kTitleHeight - figuresHeight - 4);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(area.adjusted(0, 0, -1, -1));
        if (s.any && s.high > s.low) {
            const std::size_t room = static_cast<std::size_t>(std::clamp(area.height() / kTickHeight, 2, 8) - 2);
            drawValueAxis(p, area, s, s.ticks[room]);
            auto y = [&](double v) { return area.bottom() - (v - s.low) / (s.high - s.low) * area.height(); };
            const double step =
                static_cast<double>(width) / static_cast<double>(std::max<std::size_t>(1, s.columns.size()));
            p.setPen(QPen(QColor(20, 70, 170), 1));
            bool broken = true;
            QPointF last;
            for (std::size_t x = 0; x < s.columns.size(); ++x) {
                const auto& c = s.columns[x];
                if (c.gap) broken = true;
                if (!c.any) continue;
                const double px = area.left() + (static_cast<double>(x) + 0.5) * step;
                const QPointF top(px, y(c.maximum)), bottom(px, y(c.minimum));
                if (!broken) p.drawLine(last, QPointF(px, (top.y() + bottom.y()) / 2));
                p.drawLine(top, bottom);
                last = QPointF(px, (top.y() + bottom.y()) / 2);
                broken = false;
            }
        }
        p.setPen(Qt::black);
        for (int i = 0; i < figures.size(); ++i)
            p.drawText(QRect(kLeftMargin, area.bottom() + 2 + i * kFigureLineHeight, width, kFigureLineHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, figures[i]);
    }

    void drawValueAxis(QPainter& p, const QRect& area, const TrendStrip& s,
                       const std::vector<TrendStrip::Tick>& ticks) {
        p.setPen(Qt::black);
        for (const TrendStrip::Tick& tick : ticks) {
            const int y =
                area.bottom() - static_cast<int>(std::lround((tick.value - s.low) / (s.high - s.low) * area.height()));
            p.drawLine(area.left() - 4, y, area.left(), y);
            p.drawText(QRect(0, y - 8, kLeftMargin - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromStdString(tick.label));
        }
    }

    void drawTimeAxis(QPainter& p, const QRect& axis, const std::vector<TrendPlotState::TimeTick>& ticks) {
        p.setPen(Qt::black);
        for (const auto& tick : ticks) {
            const int x = axis.left() + static_cast<int>(tick.at * axis.width());
            p.drawLine(x, axis.top(), x, axis.top() + 4);
            // A label at the left edge starts there rather than running into "UTC".
            const QString label = QString::fromStdString(tick.label);
            const int half = p.fontMetrics().horizontalAdvance(label) / 2 + 1;
            p.drawText(QRect(std::max(x - half, axis.left() - 2), axis.top() + 3, 2 * half, axis.height() - 3),
                       Qt::AlignHCenter | Qt::AlignTop, label);
        }
        p.drawText(QRect(0, axis.top() + 3, kLeftMargin - 6, axis.height() - 3), Qt::AlignRight | Qt::AlignTop,
                   tr("UTC"));
    }

    FrmTrend& form_;
    EventSink& sink_;
    double dragX_ = 0;
};

// Each statistic's colour on the stability plot, in the order of the statistics (ADEV, MDEV,
// HDEV, TDEV, TIE rms, MTIE); a mask is drawn dashed in the colour of the statistic it limits.
const QColor kStatisticColours[] = {{20, 70, 170}, {30, 140, 60}, {130, 60, 170},
                                    {190, 40, 40}, {200, 120, 0}, {0, 130, 140}};
// Each mask's dashes, in the order of the masks (G.811 PRC, G.8272 PRTC-A, PRTC-B).
const Qt::PenStyle kMaskDashes[] = {Qt::DashLine, Qt::DashDotLine, Qt::DotLine};

QColor statisticColour(std::size_t statistic) {
    return statistic < std::size(kStatisticColours) ? kStatisticColours[statistic] : QColor(Qt::black);
}

// A mask's line: the colour of the statistic it limits, lighter, dashed in the mask's own pattern.
QPen maskPen(const TrendStabilityState::MaskLine& line) {
    return QPen(statisticColour(line.statistic).lighter(130), 1.5,
                line.mask < std::size(kMaskDashes) ? kMaskDashes[line.mask] : Qt::DotLine);
}

// The chosen statistics against the averaging time, log-log, each in its colour with its error
// bars, the chosen masks over MTIE and TDEV, and a legend, drawn from the trend's plot state.
class StabilityPlot final : public QWidget {
public:
    StabilityPlot(const FrmTrend& form, QWidget* parent) : QWidget(parent), form_(form) {
        setAccessibleName(QStringLiteral("Stability plot"));
        setMinimumSize(160, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const TrendStabilityState& plot = form_.plot.stability;
        if (!plot.emptyText.empty()) {
            p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                       QString::fromStdString(plot.emptyText));
            return;
        }
        const double d0 = plot.valueFrom, d1 = plot.valueTo, t0 = plot.tauFrom, t1 = plot.tauTo;
        const int legendHeight = 16 * static_cast<int>((plot.curves.size() + plot.masks.size() + 2) / 3);
        const QRect area = rect().adjusted(54, 6 + legendHeight, -10, -30);
        auto px = [&](double tau) { return area.left() + (std::log10(tau) - t0) / (t1 - t0) * area.width(); };
        auto py = [&](double v) { return area.bottom() - (std::log10(v) - d0) / (d1 - d0) * area.height(); };
        p.setPen(QColor(200, 200, 200));
        for (double d = d0; d <= d1; ++d)
            p.drawLine(QPointF(area.left(), py(std::pow(10, d))), QPointF(area.right(), py(std::pow(10, d))));
        for (double t = t0; t <= t1; ++t)
            p.drawLine(QPointF(px(std::pow(10, t)), area.top()), QPointF(px(std::pow(10, t)), area.bottom()));
        p.setPen(Qt::black);
        p.drawRect(area);
        for (double d = d0; d <= d1; ++d)
            p.drawText(QRectF(0, py(std::pow(10, d)) - 8, 50, 16), Qt::AlignRight | Qt::AlignVCenter,
                       QStringLiteral("1e%1").arg(d));
        for (double t = t0; t <= t1; ++t)
            p.drawText(QRectF(px(std::pow(10, t)) - 30, area.bottom() + 2, 60, 14), Qt::AlignHCenter,
                       QStringLiteral("1e%1").arg(t));
        p.drawText(QRect(area.left(), area.bottom() + 14, area.width(), 14), Qt::AlignHCenter, tr("tau (s)"));

        p.save();
        p.setClipRect(area);
        for (const auto& line : plot.masks) {
            QPainterPath path;
            for (std::size_t i = 0; i < line.points.size(); ++i) {
                const QPointF at(px(line.points[i].first), py(line.points[i].second));
                if (i == 0) path.moveTo(at);
                else path.lineTo(at);
            }
            p.setPen(maskPen(line));
            p.drawPath(path);
        }
        for (const auto& curve : plot.curves) drawCurve(p, curve, px, py);
        p.restore();

        // The legend: one entry per statistic and per mask drawn, three to a line.
        std::vector<std::pair<QString, QPen>> entries;
        for (const auto& curve : plot.curves)
            entries.push_back({QString::fromStdString(curve.name), QPen(statisticColour(curve.statistic), 2)});
        for (const auto& line : plot.masks) entries.push_back({QString::fromStdString(line.name), maskPen(line)});
        const int column = std::max(1, (width() - 60) / 3);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int x = 54 + static_cast<int>(i % 3) * column, y = 4 + static_cast<int>(i / 3) * 16;
            p.setPen(entries[i].second);
            p.drawLine(x, y + 7, x + 14, y + 7);
            p.setPen(Qt::black);
            p.drawText(QRect(x + 18, y, column - 20, 15), Qt::AlignLeft | Qt::AlignVCenter, entries[i].first);
        }
    }

private:
    template <typename X, typename Y>
    void drawCurve(QPainter& p, const TrendStabilityState::Curve& curve, X px, Y py) {
        p.setPen(QPen(statisticColour(curve.statistic), 1.5));
        QPainterPath path;
        for (std::size_t i = 0; i < curve.points.size(); ++i) {
            const auto& point = curve.points[i];
            const QPointF at(px(point.tau), py(point.value));
            if (i > 0) path.lineTo(at);
            else path.moveTo(at);
            p.drawEllipse(at, 2.5, 2.5);
            if (point.bars) {
                const double top = py(point.high), bottom = py(point.low);
                p.drawLine(QPointF(at.x(), top), QPointF(at.x(), bottom));
                p.drawLine(QPointF(at.x() - 3, top), QPointF(at.x() + 3, top));
                p.drawLine(QPointF(at.x() - 3, bottom), QPointF(at.x() + 3, bottom));
            }
        }
        p.drawPath(path);
    }

    const FrmTrend& form_;
};

}  // namespace

QStringList figureLines(const QStringList& figures, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& figure : figures) {
        const QString joined = lines.isEmpty() ? figure : lines.back() + kFigureGap + figure;
        if (!lines.isEmpty() && metrics.horizontalAdvance(joined) <= width) lines.back() = joined;
        else lines << figure;
    }
    return lines;
}

TrendPanel::TrendPanel(FrmTrend& form, QWidget& canvas, EventSink& sink, const platform::qt::Twips& twips)
    : QWidget(&canvas), form_(form), sink_(sink), twips_(twips) {
    setObjectName(QStringLiteral("trendPanel"));
    auto* plot = new TrendPlot(form, sink, this);
    plot->onViewChanged = [this] { refresh(); };
    plot_ = plot;
    stabilityPlot_ = new StabilityPlot(form, this);
    table_ = new QTableWidget(this);
    table_->setAccessibleName(QStringLiteral("Stability table"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

    note_ = new QLabel(this);
    note_->setWordWrap(true);
    note_->setAccessibleName(QStringLiteral("Stability basis"));
    note_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    note_->setMinimumHeight(2 * note_->fontMetrics().lineSpacing() + 2);  // room to wrap once

    auto* side = new QVBoxLayout;
    side->addWidget(stabilityPlot_, 1);
    side->addWidget(note_);
    side->addWidget(table_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(plot_, 3);
    layout->addLayout(side, 2);

    refresh();
}

void TrendPanel::refresh() {
    if (!(form_.plotArea == shownArea_)) {
        shownArea_ = form_.plotArea;
        setGeometry(twips_.toPixels(shownArea_));
        show();
    }
    if (!form_.plotImagePath.empty()) writePlotImage();
    if (!form_.visible || form_.plot.revision == shownRevision_) return;
    shownRevision_ = form_.plot.revision;
    plot_->repaint();
    stabilityPlot_->repaint();
    fillTable();
}

void TrendPanel::writePlotImage() {
    const QString path = QString::fromStdString(form_.plotImagePath);
    form_.plotImagePath.clear();
    shownRevision_ = 0;  // drawn now, as the trend has it
    refresh();
    const std::string failure =
        grab().save(path, "PNG") ? std::string() : std::string("the image could not be written");
    sink_.forward([this, written = path.toStdString(), failure] {
        if (form_.onPlotImageWritten) form_.onPlotImageWritten(written, failure);
    });
}

void TrendPanel::fillTable() {
    const TrendPlotState& plot = form_.plot;
    note_->setText(QString::fromStdString(plot.stabilityNote));
    const QStringList headings = qStrings(plot.tableHeadings);
    if (table_->columnCount() != headings.size()) table_->setColumnCount(static_cast<int>(headings.size()));
    table_->setHorizontalHeaderLabels(headings);
    table_->setRowCount(static_cast<int>(plot.tableRows.size()));
    for (int r = 0; r < static_cast<int>(plot.tableRows.size()); ++r) {
        const auto& row = plot.tableRows[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(row.size()); ++c) {
            auto* item = table_->item(r, c);
            if (!item) table_->setItem(r, c, item = new QTableWidgetItem);
            item->setText(QString::fromStdString(row[static_cast<std::size_t>(c)]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}

}  // namespace kestrix::app
