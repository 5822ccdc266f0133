#include "app/label_view.h"

#include "platform/qt/latin1.h"

namespace kestrix::app {

LabelView::LabelView(Label& label, QWidget& canvas, const platform::qt::Twips& twips)
    : ControlView(label, *new QLabel(&canvas), twips), label_(label), widget_(static_cast<QLabel&>(widget())) {
    widget_.setTextFormat(Qt::PlainText);
}

void LabelView::renderOwn() {
    if (caption_ != label_.caption) {
        widget_.setText(platform::qt::linesFromBytes(label_.caption));
        caption_ = label_.caption;
    }
    if (wordWrap_ != label_.wordWrap) {
        widget_.setWordWrap(label_.wordWrap);
        wordWrap_ = label_.wordWrap;
    }
    if (centered_ != label_.centered) {
        widget_.setAlignment((label_.centered ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        centered_ = label_.centered;
    }
}

}  // namespace kestrix::app
