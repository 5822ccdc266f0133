#include "app/window_view.h"

#include <QMenuBar>

#include <algorithm>

#include "app/control_views.h"
#include "platform/qt/latin1.h"
#include "platform/qt/qt_font.h"

namespace kestrix::app {

namespace {
const QColor kLightGrey(0xC0, 0xC0, 0xC0);

std::vector<OptionButton*> optionButtonsOf(const Window& window) {
    std::vector<OptionButton*> options;
    for (Control* control : window.controls)
        if (control->kind() == ControlKind::OptionButton) options.push_back(static_cast<OptionButton*>(control));
    return options;
}
}  // namespace

WindowView::WindowView(Window& window, const platform::qt::Twips& twips, EventSink& sink)
    : window_(window),
      twips_(twips),
      sink_(sink),
      widget_(std::make_unique<WindowWidget>()),
      canvas_(new QWidget(widget_.get())),
      options_(optionButtonsOf(window)) {
    widget_->setObjectName(platform::qt::fromBytes(window.name));
    if (window.dialog) widget_->setWindowFlag(Qt::Dialog);
    widget_->setCentralWidget(canvas_);
    menus_ = std::make_unique<MenuView>(window.menuBar, *widget_, sink);
    const ControlSetting setting{*canvas_, twips, sink, *menus_, options_};
    for (Control* control : window.controls) {
        controls_.push_back(makeControlView(*control, setting));
        controls_.back()->widget().setObjectName(platform::qt::fromBytes(control->name));
    }
    for (Timer* timer : window.timers) timers_.push_back(std::make_unique<TimerView>(*timer, sink));
    widget_->closeRequested = [this] { closeRequested(); };
    widget_->resized = [this] { userResized(); };
    widget_->moved = [this] { userMoved(); };
    widget_->keyLeft = [this](const QKeyEvent& key) { return pressDialogButton(key); };
    if (QPushButton* button = buttonWidget(window.defaultButton)) button->setDefault(true);
}

WindowView::~WindowView() {
    widget_->closeRequested = nullptr;
    widget_->resized = nullptr;
    widget_->moved = nullptr;
    widget_->keyLeft = nullptr;
}

void WindowView::render() {
    renderLook();
    renderGeometry();
    for (auto& control : controls_) control->render();
    menus_->render();
    renderVisibility();
    reportFrame(true);
    renderTimers();
    recordShownState(window_, drawn_);
    drawnOnce_ = true;
}

bool WindowView::drawnAsItStands() {
    if (!drawnOnce_ || !menus_->drawnAsItStands()) return false;
    recordShownState(window_, now_);
    return now_ == drawn_;
}

void WindowView::renderTimers() {
    for (auto& timer : timers_) timer->render();
}

bool WindowView::shown() const { return window_.visible || widget_->isVisible(); }

void WindowView::renderLook() {
    if (caption_ != window_.caption) {
        widget_->setWindowTitle(platform::qt::fromBytes(window_.caption));
        caption_ = window_.caption;
    }
    if (font_ != window_.font) {
        canvas_->setFont(platform::qt::toQFont(window_.font));
        font_ = window_.font;
    }
    if (greyBackground_ != window_.greyBackground) {
        canvas_->setAutoFillBackground(window_.greyBackground);
        QPalette palette = canvas_->palette();
        palette.setColor(QPalette::Window,
                         window_.greyBackground ? kLightGrey : widget_->palette().color(QPalette::Window));
        canvas_->setPalette(palette);
        greyBackground_ = window_.greyBackground;
    }
    if (enabled_ != window_.enabled) {
        widget_->setEnabled(window_.enabled);
        enabled_ = window_.enabled;
    }
    if (pointer_ != window_.mousePointer) {
        if (window_.mousePointer == MousePointer::Hourglass) widget_->setCursor(Qt::WaitCursor);
        else widget_->unsetCursor();
        pointer_ = window_.mousePointer;
    }
}

void WindowView::renderGeometry() {
    if (geometry_ == window_.geometry) return;
    const QRect outer = twips_.toPixels(window_.geometry);
    const QSize decoration = widget_->frameGeometry().size() - widget_->geometry().size();
    const QSize client(std::max(1, outer.width() - decoration.width()),
                       std::max(1, outer.height() - decoration.height()));
    if (!geometry_ || geometry_->width != window_.geometry.width || geometry_->height != window_.geometry.height)
        resizePending_ = true;
    widget_->move(outer.topLeft());
    if (window_.dialog) widget_->setFixedSize(client);
    else widget_->resize(client);
    geometry_ = window_.geometry;
}

void WindowView::renderVisibility() {
    if (window_.raiseRequested) {
        window_.raiseRequested = false;
        if (window_.visible && widget_->isVisible()) {
            widget_->raise();
            widget_->activateWindow();
        }
    }
    if (widget_->isVisible() == window_.visible) return;
    if (window_.visible) {
        widget_->show();
        widget_->raise();
        widget_->activateWindow();
    } else {
        widget_->hide();
    }
}

// The frame is what the window system draws around the window (known once it is shown) plus
// the menu bar. When it turns out other than first reported, the outer size takes the change, so
// the inner area keeps the size the program gave it.
void WindowView::reportFrame(bool keepInnerArea) {
    const QSize decoration = widget_->frameGeometry().size() - widget_->geometry().size();
    const int frameWidth = twips_.xFromPixels(decoration.width());
    const int frameHeight = twips_.yFromPixels(decoration.height() + menuBarHeight());
    if (frameReported_ && keepInnerArea) {
        window_.geometry.width += frameWidth - window_.frameWidth;
        window_.geometry.height += frameHeight - window_.frameHeight;
    }
    window_.frameWidth = frameWidth;
    window_.frameHeight = frameHeight;
    frameReported_ = true;
}

int WindowView::menuBarHeight() {
    if (window_.menuBar.empty()) return 0;
    const QMenuBar& bar = *widget_->menuBar();
    if (bar.isVisible()) return bar.height();
    // A hidden window's bar is not laid out: its height for the window's width, worked out once.
    const int width = widget_->width();
    if (!hiddenMenuBar_ || hiddenMenuBar_->first != width) {
        int height = bar.heightForWidth(width);
        if (height <= 0) height = bar.sizeHint().height();
        hiddenMenuBar_ = {width, height};
    }
    return hiddenMenuBar_->second;
}

bool WindowView::takeResize() { return std::exchange(resizePending_, false); }

void WindowView::beginModal() {
    if (widget_->isVisible()) widget_->hide();
    widget_->setWindowModality(Qt::ApplicationModal);
}

void WindowView::endModal() {
    if (widget_->isVisible()) widget_->hide();
    widget_->setWindowModality(Qt::NonModal);
}

void WindowView::takeGeometry() {
    window_.geometry = twips_.fromPixels(widget_->frameGeometry());
    geometry_ = window_.geometry;
    reportFrame(false);
}

void WindowView::userResized() {
    if (sink_.rendering()) return;
    takeGeometry();
    sink_.forward([this] {
        if (window_.onResize) window_.onResize();
    });
}

void WindowView::userMoved() {
    if (sink_.rendering()) return;
    takeGeometry();
}

// Escape presses the cancel button, Enter the default one, as a dialog's keys do on the desktop.
bool WindowView::pressDialogButton(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != 0) return false;
    const Button* button = nullptr;
    if (key.key() == Qt::Key_Escape) button = window_.cancelButton;
    else if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) button = window_.defaultButton;
    QPushButton* widget = buttonWidget(button);
    if (!widget || !widget->isEnabled() || widget->isHidden()) return false;
    widget->click();
    return true;
}

QPushButton* WindowView::buttonWidget(const Button* button) const {
    if (!button) return nullptr;
    return canvas_->findChild<QPushButton*>(platform::qt::fromBytes(button->name), Qt::FindDirectChildrenOnly);
}

void WindowView::closeRequested() {
    if (sink_.rendering()) return;
    sink_.forward([this] {
        bool cancel = false;
        if (window_.onCloseRequest) window_.onCloseRequest(cancel);
        if (!cancel) window_.hide();
    });
}

}  // namespace kestrix::app
