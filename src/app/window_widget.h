#pragma once

#include <QKeyEvent>
#include <QMainWindow>

#include <functional>

namespace kestrix::app {

// The top-level widget of a window of the program. It never closes by itself: the close box
// only asks, and the program's state decides.
class WindowWidget final : public QMainWindow {
public:
    using QMainWindow::QMainWindow;

    std::function<void()> closeRequested;
    std::function<void()> resized;
    std::function<void()> moved;
    // A key no widget inside took; true when it was used.
    std::function<bool(const QKeyEvent&)> keyLeft;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kestrix::app
