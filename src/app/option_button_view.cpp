#include "app/option_button_view.h"

#include "platform/qt/latin1.h"

namespace kestrix::app {

OptionButtonView::OptionButtonView(OptionButton& option, std::vector<OptionButton*> windowOptions,
                                   QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink)
    : ControlView(option, *new QRadioButton(&canvas), twips),
      option_(option),
      windowOptions_(std::move(windowOptions)),
      widget_(static_cast<QRadioButton&>(widget())),
      sink_(sink) {
    widget_.setAutoExclusive(false);
    connect(&widget_, &QRadioButton::clicked, this, [this] { clicked(); });
}

void OptionButtonView::clicked() {
    if (sink_.rendering()) return;
    // An option already on stays on and is not clicked again.
    if (option_.value) {
        widget_.setChecked(true);
        return;
    }
    sink_.forward([this] {
        option_.select(windowOptions_);
        if (option_.onClick) option_.onClick();
    });
}

void OptionButtonView::renderOwn() {
    if (caption_ != option_.caption) {
        widget_.setText(platform::qt::fromBytes(option_.caption));
        caption_ = option_.caption;
    }
    if (widget_.isChecked() != option_.value) widget_.setChecked(option_.value);
}

}  // namespace kestrix::app
