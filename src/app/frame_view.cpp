#include "app/frame_view.h"

#include "platform/qt/latin1.h"

namespace kestrix::app {

FrameView::FrameView(Frame& frame, QWidget& canvas, const platform::qt::Twips& twips)
    : ControlView(frame, *new QGroupBox(&canvas), twips), frame_(frame), widget_(static_cast<QGroupBox&>(widget())) {
    widget_.lower();
}

void FrameView::renderOwn() {
    if (caption_ == frame_.caption) return;
    widget_.setTitle(platform::qt::fromBytes(frame_.caption));
    caption_ = frame_.caption;
}

}  // namespace kestrix::app
