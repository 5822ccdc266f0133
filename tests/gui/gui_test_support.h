#pragma once

#include <QApplication>
#include <QString>

#include <chrono>
#include <functional>
#include <string>

#include "app/renderer.h"

namespace kestrix::gui_test {

// The application every test shares, made on first use (the tests run offscreen).
QApplication& application();

// A base that makes the application before the members of a fixture are made.
struct WithApplication {
    WithApplication() { application(); }
};

// Serves events until `done` holds or the deadline passes; true when `done` holds.
bool serveEventsUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds deadline = std::chrono::milliseconds(3000));

inline QString latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), bytes.size()); }

// The widget showing a window's control.
template <typename Widget>
Widget* widgetOf(const app::Renderer& renderer, const Window& window, const Control& control) {
    return renderer.viewOf(window)->canvas().findChild<Widget*>(latin1(control.name));
}

}  // namespace kestrix::gui_test
