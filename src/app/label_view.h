#pragma once

#include <QFont>
#include <QLabel>

#include "app/control_view.h"

namespace kestrix::app {

// A label: plain text, left or centred at the top, wrapped at words when asked, or cut in the
// middle to its width when asked (the whole text is then its accessible name); or the program's
// icon, scaled to the label.
class LabelView final : public ControlView {
public:
    LabelView(Label& label, QWidget& canvas, const platform::qt::Twips& twips);

private:
    void renderOwn() override;
    void renderCaption();
    void renderIcon();
    void renderAlarmColours();

    // What the shown text was made from: the caption cut in the middle depends on the width
    // and the font as well.
    struct ShownCaption {
        std::string caption;
        bool elided = false;
        int width = 0;
        QFont font;
        bool operator==(const ShownCaption&) const = default;
    };

    Label& label_;
    QLabel& widget_;
    std::optional<ShownCaption> shown_;
    std::optional<std::string> toolTip_;
    std::optional<bool> wordWrap_, centered_, alarmColours_;
    QSize iconSize_;  // the size the program's icon was last drawn at
};

}  // namespace kestrix::app
