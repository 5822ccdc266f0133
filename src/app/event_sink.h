#pragma once

#include <functional>

class QKeyEvent;

namespace kestrix {
struct Timer;
}

namespace kestrix::app {

// Where the adapters send what the user did. Every handler of the program runs through
// forward(), which renders the state afterwards.
class EventSink {
public:
    virtual ~EventSink() = default;
    // True while state is being written into the widgets: what the widgets signal meanwhile is
    // the echo of that, not the user.
    virtual bool rendering() const = 0;
    // Runs a handler of the program, then renders.
    virtual void forward(const std::function<void()>& handler) = 0;
    // Runs a tick of a timer of the program, unless that timer is inside a tick already; renders
    // after a tick that ran.
    virtual void tick(Timer& timer) = 0;
};

// Routes a key that is a menu shortcut of the window to that menu item, ahead of the text
// widget that has the focus.
class ShortcutRouter {
public:
    virtual ~ShortcutRouter() = default;
    // For a shortcut-override or key-press event: true when the key belongs to a menu item (the
    // override is then accepted so that the key press comes back, and the key press clicks it).
    virtual bool routeShortcut(QKeyEvent& event) = 0;
};

}  // namespace kestrix::app
