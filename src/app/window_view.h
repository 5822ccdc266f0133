#pragma once

#include <QPushButton>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/control_view.h"
#include "app/event_sink.h"
#include "app/menu_view.h"
#include "app/timer_view.h"
#include "app/window_widget.h"

namespace kestrix::app {

// A window of the program with its controls, menus and timers. The outer geometry of the state
// places the window; what the user does to it flows back, and the renderer reports the frame
// (outer minus inner size) into the state.
class WindowView {
public:
    WindowView(Window& window, const platform::qt::Twips& twips, EventSink& sink);
    ~WindowView();
    WindowView(const WindowView&) = delete;
    WindowView& operator=(const WindowView&) = delete;

    void render();
    void renderTimers();
    // Nothing the window shows has changed since it was last drawn.
    bool drawnAsItStands();
    // The window is on the screen, or is to be.
    bool shown() const;
    // True once after the window's size was set from the state; its resize handler then runs.
    bool takeResize();
    void beginModal();
    void endModal();

    Window& window() const { return window_; }
    WindowWidget& widget() const { return *widget_; }
    QWidget& canvas() const { return *canvas_; }
    MenuView& menus() const { return *menus_; }
    const std::vector<std::unique_ptr<TimerView>>& timers() const { return timers_; }

private:
    void renderLook();
    void renderGeometry();
    void renderVisibility();
    void reportFrame(bool keepInnerArea);
    int menuBarHeight();
    void takeGeometry();
    void userResized();
    void userMoved();
    void closeRequested();
    bool pressDialogButton(const QKeyEvent& key);
    QPushButton* buttonWidget(const Button* button) const;

    Window& window_;
    const platform::qt::Twips& twips_;
    EventSink& sink_;
    std::unique_ptr<WindowWidget> widget_;
    QWidget* canvas_;
    std::vector<OptionButton*> options_;
    std::unique_ptr<MenuView> menus_;
    std::vector<std::unique_ptr<ControlView>> controls_;
    std::vector<std::unique_ptr<TimerView>> timers_;

    std::optional<Rect> geometry_;
    std::optional<std::string> caption_;
    std::optional<FontSpec> font_;
    std::optional<bool> enabled_, greyBackground_;
    std::optional<MousePointer> pointer_;
    std::optional<std::pair<int, int>> hiddenMenuBar_;  // width, height
    ShownState drawn_;                                  // the state when last drawn
    ShownState now_;                                    // the state as it stands, to compare
    bool drawnOnce_ = false;
    bool resizePending_ = false;
    bool frameReported_ = false;
};

}  // namespace kestrix::app
