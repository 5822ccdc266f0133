#pragma once

#include <QRadioButton>

#include <vector>

#include "app/control_view.h"
#include "app/event_sink.h"

namespace kestrix::app {

// An option button. The widget never decides which option of a group is on: turning it on, by
// a click, a key or assistive technology, selects the button in the state (clearing the others
// of its group among `window`'s option buttons) and runs its handler; the widgets then show the
// state. Turning off an option that is on is refused: an option goes off only when another of
// its group is chosen.
class OptionButtonView final : public ControlView {
public:
    OptionButtonView(OptionButton& option, std::vector<OptionButton*> windowOptions, QWidget& canvas,
                     const platform::qt::Twips& twips, EventSink& sink);

private:
    void renderOwn() override;
    void toggled(bool on);

    OptionButton& option_;
    std::vector<OptionButton*> windowOptions_;
    QRadioButton& widget_;
    EventSink& sink_;
    std::optional<std::string> caption_;
};

}  // namespace kestrix::app
