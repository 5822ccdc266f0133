#include "app/option_button_view.h"

#include "platform/qt/latin1.h"

namespace kestrix::app {

OptionButtonView::OptionButtonView(OptionButton& option, std::vector<OptionButton*> windowOptions, QWidget& canvas,
                                   const platform::qt::Twips& twips, EventSink& sink)
    : ControlView(option, *new QRadioButton(&canvas), twips),
      option_(option),
      windowOptions_(std::move(windowOptions)),
      widget_(static_cast<QRadioButton&>(widget())),
      sink_(sink) {
    widget_.setAutoExclusive(false);
    // Every route that changes the widget (a click, the space bar, an accessibility action)
    // ends in toggled; clicked alone misses the accessibility toggle.
    connect(&widget_, &QRadioButton::toggled, this, [this](bool on) { toggled(on); });
}

void OptionButtonView::toggled(bool on) {
    // While rendering, the widget only follows the state; and an option already as the state
    // has it was not changed by the user.
    if (sink_.rendering() || on == option_.value) return;
    if (!on) {
        widget_.setChecked(true);  // an option that is on stays on (this toggle then matches)
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
