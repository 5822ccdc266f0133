#include "app/window_widget.h"

#include <QCloseEvent>

namespace kestrix::app {

void WindowWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (closeRequested) closeRequested();
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (resized) resized();
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
    if (keyLeft && keyLeft(*event)) return;
    QMainWindow::keyPressEvent(event);
}

void WindowWidget::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (moved) moved();
}

}  // namespace kestrix::app
