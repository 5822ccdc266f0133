#include "app/button_view.h"

#include <QKeyEvent>

#include "platform/qt/latin1.h"

namespace kestrix::app {

ButtonView::ButtonView(Button& button, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink)
    : ControlView(button, *new QPushButton(&canvas), twips),
      button_(button),
      widget_(static_cast<QPushButton&>(widget())) {
    widget_.setAutoDefault(false);
    widget_.installEventFilter(this);
    connect(&widget_, &QPushButton::clicked, this, [this, &sink] {
        if (sink.rendering()) return;
        sink.forward([this] {
            if (button_.onClick) button_.onClick();
        });
    });
}

bool ButtonView::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (!enter || (key.modifiers() & ~Qt::KeypadModifier) != 0) return false;
    widget_.click();
    return true;
}

void ButtonView::renderOwn() {
    if (caption_ == button_.caption) return;
    widget_.setText(platform::qt::fromBytes(button_.caption));
    caption_ = button_.caption;
}

}  // namespace kestrix::app
