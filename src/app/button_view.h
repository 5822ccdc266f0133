#pragma once

#include <QPushButton>

#include "app/control_view.h"
#include "app/event_sink.h"

namespace kestrix::app {

// A command button; a click runs the button's handler, and so does Enter while it has the focus.
class ButtonView final : public ControlView {
public:
    ButtonView(Button& button, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void renderOwn() override;

    Button& button_;
    QPushButton& widget_;
    std::optional<std::string> caption_;
};

}  // namespace kestrix::app
