#include "app/line_view.h"

#include <QPainter>

#include <algorithm>

namespace kestrix::app {

namespace {
constexpr int kPenWidth = 1;
}

void LineWidget::setEnds(QPoint from, QPoint to) {
    from_ = from;
    to_ = to;
    update();
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), kPenWidth));
    painter.drawLine(from_, to_);
}

LineView::LineView(Line& line, QWidget& canvas, const platform::qt::Twips& twips)
    : ControlView(line, *new LineWidget(&canvas), twips), line_(line), widget_(static_cast<LineWidget&>(widget())) {
    widget_.setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineView::renderGeometry() {
    const std::array<int, 4> ends{line_.x1, line_.y1, line_.x2, line_.y2};
    if (ends_ == ends) return;
    ends_ = ends;
    const QPoint from(twips().xToPixels(line_.x1), twips().yToPixels(line_.y1));
    const QPoint to(twips().xToPixels(line_.x2), twips().yToPixels(line_.y2));
    const QRect box = QRect(from, to).normalized().adjusted(0, 0, kPenWidth, kPenWidth);
    widget_.setGeometry(box);
    widget_.setEnds(from - box.topLeft(), to - box.topLeft());
}

}  // namespace kestrix::app
