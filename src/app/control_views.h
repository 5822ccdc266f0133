#pragma once

#include <memory>
#include <vector>

#include "app/control_view.h"
#include "app/event_sink.h"

namespace kestrix::app {

// What a control's widget is made with.
struct ControlSetting {
    QWidget& canvas;
    const platform::qt::Twips& twips;
    EventSink& sink;
    ShortcutRouter& shortcuts;
    const std::vector<OptionButton*>& windowOptions;  // every option button of the window
};

// The adapter for a control, by its kind.
std::unique_ptr<ControlView> makeControlView(Control& control, const ControlSetting& setting);

}  // namespace kestrix::app
