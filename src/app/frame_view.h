#pragma once

#include <QGroupBox>

#include "app/control_view.h"

namespace kestrix::app {

// A framed group box; the controls it frames are drawn above it.
class FrameView final : public ControlView {
public:
    FrameView(Frame& frame, QWidget& canvas, const platform::qt::Twips& twips);

private:
    void renderOwn() override;

    Frame& frame_;
    QGroupBox& widget_;
    std::optional<std::string> caption_;
};

}  // namespace kestrix::app
