#include "app/trend_panel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>

#include "trend/axis_ticks.h"

namespace kestrix::app {

namespace {

constexpr int kLeftMargin = 78;
constexpr int kRightMargin = 12;
constexpr int kTitleHeight = 18;
constexpr int kFigureLineHeight = 16;
// Between the figures under a strip.
constexpr const char* kFigureGap = "   ";
constexpr int kTimeAxisHeight = 20;
// New samples are drawn at most this often.
constexpr double kRefreshMs = 250;
// New samples wait this many times the last drawing's cost before they are drawn.
constexpr qint64 kDrawingShare = 1000;

QString number(double value) { return std::isfinite(value) ? QString::number(value, 'g', 5) : QStringLiteral("-"); }

// The filter of the program's dialogs ("Description|pattern|...") as Qt writes it.
QString qtFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + parts[i + 1] + ")");
    return out.join(QStringLiteral(";;"));
}

// A step between time labels that leaves room for each, in seconds.
double timeStep(double span, int width) {
    static const double steps[] = {1,   2,    5,    10,   15,    30,    60,    120,   300,    600,
                                   900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800};
    const double most = std::max(1, width / 90);
    for (double step : steps)
        if (span / step <= most) return step;
    return 604800 * std::ceil(span / most / 604800);
}

QString utcLabel(double seconds, double step) {
    const auto t = static_cast<std::time_t>(std::floor(seconds));
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    if (step >= 86400) std::strftime(text, sizeof text, "%m-%d", &utc);
    else if (step >= 3600 * 6) std::strftime(text, sizeof text, "%m-%d %H:%M", &utc);
    else if (step >= 60) std::strftime(text, sizeof text, "%H:%M", &utc);
    else std::strftime(text, sizeof text, "%H:%M:%S", &utc);
    return QString::fromLatin1(text);
}

// The strips of the series against UTC, each with its figures over the visible span.
class TrendPlot final : public QWidget {
public:
    TrendPlot(trend::TrendWindow& trend, EventSink& sink, QWidget* parent)
        : QWidget(parent), trend_(trend), sink_(sink) {
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(QStringLiteral("Trend plot"));
        setMinimumSize(200, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const auto& series = trend_.series();
        const auto span = trend_.visibleSpan();
        if (series.empty() || !(span.to > span.from)) {
            p.drawText(rect(), Qt::AlignCenter, series.empty() ? tr("No series") : tr("Waiting for samples..."));
            return;
        }
        const int n = static_cast<int>(series.size());
        const int stripHeight = (height() - kTimeAxisHeight) / n;
        const int plotWidth = std::max(1, width() - kLeftMargin - kRightMargin);
        for (int i = 0; i < n; ++i) {
            const QRect strip(0, i * stripHeight, width(), stripHeight);
            drawStrip(p, strip, *series[static_cast<std::size_t>(i)], trend_.figures(static_cast<std::size_t>(i)), span,
                      plotWidth);
        }
        drawTimeAxis(p, QRect(kLeftMargin, n * stripHeight, plotWidth, kTimeAxisHeight), span);
    }

    void wheelEvent(QWheelEvent* event) override {
        const double anchor = std::clamp(
            (event->position().x() - kLeftMargin) / std::max(1, width() - kLeftMargin - kRightMargin), 0.0, 1.0);
        const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
        forward([this, factor, anchor] { trend_.zoom(factor, anchor); });
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override { dragX_ = event->position().x(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton)) return;
        const double dx = event->position().x() - dragX_;
        const int plotWidth = std::max(1, width() - kLeftMargin - kRightMargin);
        if (std::abs(dx) < 2) return;
        dragX_ = event->position().x();
        forward([this, dx, plotWidth] { trend_.pan(-dx / plotWidth); });
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        forward([this] { trend_.showAll(); });
    }
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal: forward([this] { trend_.zoom(0.5); }); break;
            case Qt::Key_Minus: forward([this] { trend_.zoom(2); }); break;
            case Qt::Key_Left: forward([this] { trend_.pan(-0.25); }); break;
            case Qt::Key_Right: forward([this] { trend_.pan(0.25); }); break;
            case Qt::Key_Home: forward([this] { trend_.showAll(); }); break;
            default: QWidget::keyPressEvent(event); return;
        }
        event->accept();
    }

public:
    std::function<void()> onViewChanged;

private:
    void forward(const std::function<void()>& action) {
        sink_.forward(action);
        if (onViewChanged) onViewChanged();
    }

    void drawStrip(QPainter& p, const QRect& strip, const trend::TrendSeries& s, const trend::SpanFigures& f,
                   trend::TrendWindow::Span span, int plotWidth) {
        const QString unit = QString::fromStdString(s.unit);
        p.setPen(Qt::black);
        p.drawText(QRect(kLeftMargin, strip.top(), plotWidth, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(trend::seriesHeading(s)));
        const QStringList figures = figureLines(f, unit, p.fontMetrics(), plotWidth);
        const int figuresHeight = kFigureLineHeight * static_cast<int>(figures.size()) + 2;
        const QRect area(kLeftMargin, strip.top() + kTitleHeight, plotWidth,
                         strip.height() - kTitleHeight - figuresHeight - 4);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(area.adjusted(0, 0, -1, -1));

        const auto columns = trend::decimate(s.ring, span.from, span.to, static_cast<std::size_t>(plotWidth));
        double low = INFINITY, high = -INFINITY;
        for (const auto& c : columns)
            if (c.any) low = std::min(low, c.minimum * s.scale), high = std::max(high, c.maximum * s.scale);
        if (std::isfinite(low)) {
            if (high - low < 1e-12 * std::max(1.0, std::abs(high))) low -= 0.5, high += 0.5;
            const double pad = (high - low) * 0.05;
            low -= pad, high += pad;
            drawValueAxis(p, area, low, high);
            auto y = [&](double v) { return area.bottom() - (v * s.scale - low) / (high - low) * area.height(); };
            p.setPen(QPen(QColor(20, 70, 170), 1));
            bool broken = true;
            QPointF last;
            for (std::size_t x = 0; x < columns.size(); ++x) {
                const auto& c = columns[x];
                if (c.gap) broken = true;
                if (!c.any) continue;
                const double px = area.left() + static_cast<double>(x) + 0.5;
                const QPointF top(px, y(c.maximum)), bottom(px, y(c.minimum));
                if (!broken) p.drawLine(last, QPointF(px, (top.y() + bottom.y()) / 2));
                p.drawLine(top, bottom);
                last = QPointF(px, (top.y() + bottom.y()) / 2);
                broken = false;
            }
        }
        p.setPen(Qt::black);
        for (int i = 0; i < figures.size(); ++i)
            p.drawText(QRect(kLeftMargin, area.bottom() + 2 + i * kFigureLineHeight, plotWidth, kFigureLineHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, figures[i]);
    }

    void drawValueAxis(QPainter& p, const QRect& area, double low, double high) {
        p.setPen(Qt::black);
        for (const trend::AxisTick& tick : trend::axisTicks(low, high, std::clamp(area.height() / 28, 2, 8))) {
            const int y =
                area.bottom() - static_cast<int>(std::lround((tick.value - low) / (high - low) * area.height()));
            p.drawLine(area.left() - 4, y, area.left(), y);
            p.drawText(QRect(0, y - 8, kLeftMargin - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromStdString(tick.label));
        }
    }

    void drawTimeAxis(QPainter& p, const QRect& axis, trend::TrendWindow::Span span) {
        const double step = timeStep(span.to - span.from, axis.width());
        p.setPen(Qt::black);
        for (double t = std::ceil(span.from / step) * step; t <= span.to; t += step) {
            const int x = axis.left() + static_cast<int>((t - span.from) / (span.to - span.from) * axis.width());
            p.drawLine(x, axis.top(), x, axis.top() + 4);
            // A label at the left edge starts there rather than running into "UTC".
            const QString label = utcLabel(t, step);
            const int half = p.fontMetrics().horizontalAdvance(label) / 2 + 1;
            p.drawText(QRect(std::max(x - half, axis.left() - 2), axis.top() + 3, 2 * half, axis.height() - 3),
                       Qt::AlignHCenter | Qt::AlignTop, label);
        }
        p.drawText(QRect(0, axis.top() + 3, kLeftMargin - 6, axis.height() - 3), Qt::AlignRight | Qt::AlignTop,
                   tr("UTC"));
    }

    trend::TrendWindow& trend_;
    EventSink& sink_;
    double dragX_ = 0;
};

// The overlapping Allan deviation and the time deviation against the averaging time, log-log.
class StabilityPlot final : public QWidget {
public:
    StabilityPlot(trend::TrendWindow& trend, QWidget* parent) : QWidget(parent), trend_(trend) {
        setAccessibleName(QStringLiteral("Stability plot"));
        setMinimumSize(160, 120);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        std::vector<trend::StabilityPoint> points;
        for (const auto& s : trend_.stability())
            if (std::isfinite(s.overlappingAllanDeviation) && s.overlappingAllanDeviation > 0) points.push_back(s);
        if (points.empty()) {
            p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                       tr("Stability: needs a time-interval series over at least three sample intervals"));
            return;
        }
        double lowTau = points.front().tau, highTau = points.back().tau, low = INFINITY, high = -INFINITY;
        for (const auto& s : points)
            for (double v : {s.overlappingAllanDeviation, s.timeDeviation})
                if (std::isfinite(v) && v > 0) low = std::min(low, v), high = std::max(high, v);
        const double d0 = std::floor(std::log10(low)), d1 = std::max(d0 + 1, std::ceil(std::log10(high)));
        const double t0 = std::floor(std::log10(lowTau)), t1 = std::max(t0 + 1, std::ceil(std::log10(highTau)));
        const QRect area = rect().adjusted(54, 22, -10, -30);
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
        drawCurve(p, points, QColor(20, 70, 170), px, py, true);
        drawCurve(p, points, QColor(190, 40, 40), px, py, false);
        p.setPen(QColor(20, 70, 170));
        p.drawText(QRect(area.left(), 2, area.width() / 2, 18), Qt::AlignLeft, tr("Overlapping ADEV"));
        p.setPen(QColor(190, 40, 40));
        p.drawText(QRect(area.left() + area.width() / 2, 2, area.width() / 2, 18), Qt::AlignLeft, tr("TDEV (s)"));
    }

private:
    template <typename X, typename Y>
    void drawCurve(QPainter& p, const std::vector<trend::StabilityPoint>& points, QColor colour, X px, Y py,
                   bool allan) {
        p.setPen(QPen(colour, 1.5));
        QPainterPath path;
        bool started = false;
        for (const auto& s : points) {
            const double v = allan ? s.overlappingAllanDeviation : s.timeDeviation;
            if (!(std::isfinite(v) && v > 0)) continue;
            const QPointF at(px(s.tau), py(v));
            if (started) path.lineTo(at);
            else path.moveTo(at);
            started = true;
            p.drawEllipse(at, 2.5, 2.5);
        }
        p.drawPath(path);
    }

    trend::TrendWindow& trend_;
};

}  // namespace

QStringList figureLines(const trend::SpanFigures& f, const QString& unit, const QFontMetrics& metrics, int width) {
    const QString u = unit.isEmpty() ? QString() : QChar(' ') + unit;
    const QStringList figures = {QObject::tr("last %1%2").arg(number(f.last), u),
                                 QObject::tr("mean %1%2").arg(number(f.mean), u),
                                 QObject::tr("std dev %1%2").arg(number(f.standardDeviation), u),
                                 QObject::tr("min %1%2").arg(number(f.minimum), u),
                                 QObject::tr("max %1%2").arg(number(f.maximum), u),
                                 QObject::tr("(%1 samples)").arg(f.count)};
    QStringList lines;
    for (const QString& figure : figures) {
        const QString joined = lines.isEmpty() ? figure : lines.back() + kFigureGap + figure;
        if (!lines.isEmpty() && metrics.horizontalAdvance(joined) <= width) lines.back() = joined;
        else lines << figure;
    }
    return lines;
}

TrendPanel::TrendPanel(trend::TrendWindow& trend, FrmTrend& form, QWidget& canvas, EventSink& sink,
                       const platform::qt::Twips& twips)
    : QWidget(&canvas), trend_(trend), form_(form), sink_(sink), twips_(twips) {
    setObjectName(QStringLiteral("trendPanel"));
    auto* plot = new TrendPlot(trend, sink, this);
    plot->onViewChanged = [this] { refresh(); };
    plot_ = plot;
    stabilityPlot_ = new StabilityPlot(trend, this);
    table_ = new QTableWidget(this);
    table_->setAccessibleName(QStringLiteral("Stability table"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QStringList headings;
    for (const auto& h : trend::stabilityHeadings()) headings << QString::fromStdString(h);
    table_->setColumnCount(headings.size());
    table_->setHorizontalHeaderLabels(headings);

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

    trend.host.saveFileName = [this](const std::string& title, const std::string& filter,
                                     const std::string& suggested) -> std::optional<std::string> {
        const QString path = QFileDialog::getSaveFileName(window(), QString::fromStdString(title),
                                                          QString::fromStdString(suggested), qtFilter(filter));
        if (path.isEmpty()) return std::nullopt;
        return path.toStdString();
    };
    trend.host.askText = [this](const std::string& prompt, const std::string& initial) -> std::optional<std::string> {
        bool ok = false;
        const QString text = QInputDialog::getText(window(), QStringLiteral("Trend"), QString::fromStdString(prompt),
                                                   QLineEdit::Normal, QString::fromStdString(initial), &ok);
        if (!ok) return std::nullopt;
        return text.trimmed().toStdString();
    };
    trend.host.writePlotImage = [this](const std::string& path) -> std::string {
        refresh();
        return grab().save(QString::fromStdString(path), "PNG") ? std::string()
                                                                : std::string("the image could not be written");
    };

    heldBack_.setSingleShot(true);
    connect(&heldBack_, &QTimer::timeout, this, [this] { refresh(); });
    refresh();
}

void TrendPanel::refresh() {
    if (!(form_.plotArea == shownArea_)) {
        shownArea_ = form_.plotArea;
        setGeometry(twips_.toPixels(shownArea_));
        show();
    }
    if (!form_.visible) return;
    // The bottom line follows the link's state, which the link changes between the trend's events.
    if (!followingInfo_ && trend_.infoLine() != form_.lblTrendInfo.caption) {
        followingInfo_ = true;  // the forward renders and comes back here
        sink_.forward([this] { trend_.refreshInfo(); });
        followingInfo_ = false;
    }
    const bool viewChanged = trend_.viewRevision() != shownView_;
    if (!viewChanged && trend_.revision() == shownRevision_) return;
    const qint64 wait = std::max<qint64>(static_cast<qint64>(kRefreshMs), drawingCostNs_ * kDrawingShare / 1000000);
    if (!viewChanged && sinceDrawn_.isValid() && sinceDrawn_.elapsed() < wait) {
        if (!heldBack_.isActive()) heldBack_.start(static_cast<int>(wait - sinceDrawn_.elapsed()));
        return;
    }
    heldBack_.stop();
    shownView_ = trend_.viewRevision();
    shownRevision_ = trend_.revision();
    QElapsedTimer cost;
    cost.start();
    plot_->repaint();
    stabilityPlot_->repaint();
    fillTable();
    drawingCostNs_ = cost.nsecsElapsed();
    sinceDrawn_.restart();
}

void TrendPanel::fillTable() {
    const auto rows = trend_.stabilityTableRows();
    note_->setText(QString::fromStdString(trend_.stabilityNote()));
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        int c = 0;
        for (const std::string* cell : {&row.tau, &row.count, &row.overlappingAllanDeviation, &row.timeDeviation}) {
            auto* item = table_->item(r, c);
            if (!item) table_->setItem(r, c, item = new QTableWidgetItem);
            item->setText(QString::fromStdString(*cell));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ++c;
        }
    }
}

}  // namespace kestrix::app
