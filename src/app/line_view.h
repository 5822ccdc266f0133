#pragma once

#include <QWidget>

#include <array>

#include "app/control_view.h"

namespace kestrix::app {

// Draws a line from one end to the other inside its box.
class LineWidget final : public QWidget {
public:
    using QWidget::QWidget;
    void setEnds(QPoint from, QPoint to);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint from_, to_;
};

// A line between two points given in twips (x1, y1) and (x2, y2) of the window.
class LineView final : public ControlView {
public:
    LineView(Line& line, QWidget& canvas, const platform::qt::Twips& twips);

private:
    void renderOwn() override {}
    void renderGeometry() override;

    Line& line_;
    LineWidget& widget_;
    std::optional<std::array<int, 4>> ends_;
};

}  // namespace kestrix::app
