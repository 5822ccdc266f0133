#pragma once

#include <QLabel>

#include "app/control_view.h"

namespace kestrix::app {

// A label: plain text, left or centred at the top, wrapped at words when asked.
class LabelView final : public ControlView {
public:
    LabelView(Label& label, QWidget& canvas, const platform::qt::Twips& twips);

private:
    void renderOwn() override;

    Label& label_;
    QLabel& widget_;
    std::optional<std::string> caption_;
    std::optional<bool> wordWrap_, centered_;
};

}  // namespace kestrix::app
