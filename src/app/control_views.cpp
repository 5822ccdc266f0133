#include "app/control_views.h"

#include <map>

#include "app/button_view.h"
#include "app/combo_box_view.h"
#include "app/frame_view.h"
#include "app/label_view.h"
#include "app/line_view.h"
#include "app/multi_line_text_view.h"
#include "app/option_button_view.h"
#include "app/progress_bar_view.h"
#include "app/single_line_text_view.h"

namespace kestrix::app {

namespace {

using Factory = std::unique_ptr<ControlView> (*)(Control&, const ControlSetting&);

std::unique_ptr<ControlView> label(Control& c, const ControlSetting& s) {
    return std::make_unique<LabelView>(static_cast<Label&>(c), s.canvas, s.twips);
}
std::unique_ptr<ControlView> line(Control& c, const ControlSetting& s) {
    return std::make_unique<LineView>(static_cast<Line&>(c), s.canvas, s.twips);
}
std::unique_ptr<ControlView> frame(Control& c, const ControlSetting& s) {
    return std::make_unique<FrameView>(static_cast<Frame&>(c), s.canvas, s.twips);
}
std::unique_ptr<ControlView> button(Control& c, const ControlSetting& s) {
    return std::make_unique<ButtonView>(static_cast<Button&>(c), s.canvas, s.twips, s.sink);
}
std::unique_ptr<ControlView> optionButton(Control& c, const ControlSetting& s) {
    return std::make_unique<OptionButtonView>(static_cast<OptionButton&>(c), s.windowOptions, s.canvas, s.twips,
                                              s.sink);
}
std::unique_ptr<ControlView> comboBox(Control& c, const ControlSetting& s) {
    return std::make_unique<ComboBoxView>(static_cast<ComboBox&>(c), s.canvas, s.twips, s.sink, s.shortcuts);
}
std::unique_ptr<ControlView> progressBar(Control& c, const ControlSetting& s) {
    return std::make_unique<ProgressBarView>(static_cast<ProgressBar&>(c), s.canvas, s.twips);
}
std::unique_ptr<ControlView> textBox(Control& c, const ControlSetting& s) {
    auto& box = static_cast<TextBox&>(c);
    if (box.multiLine) return std::make_unique<MultiLineTextView>(box, s.canvas, s.twips, s.sink, s.shortcuts);
    return std::make_unique<SingleLineTextView>(box, s.canvas, s.twips, s.sink, s.shortcuts);
}

const std::map<ControlKind, Factory> kFactories{{ControlKind::Label, label},
                                                {ControlKind::Line, line},
                                                {ControlKind::Frame, frame},
                                                {ControlKind::Button, button},
                                                {ControlKind::OptionButton, optionButton},
                                                {ControlKind::ComboBox, comboBox},
                                                {ControlKind::TextBox, textBox},
                                                {ControlKind::ProgressBar, progressBar}};

}  // namespace

std::unique_ptr<ControlView> makeControlView(Control& control, const ControlSetting& setting) {
    return kFactories.at(control.kind())(control, setting);
}

}  // namespace kestrix::app
