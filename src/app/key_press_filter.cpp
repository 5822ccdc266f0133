#include "app/key_press_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "app/key_codes.h"

namespace kestrix::app {

KeyPressFilter::KeyPressFilter(QWidget& widget, EventSink& sink, ShortcutRouter& shortcuts, const Handler& handler,
                               std::function<bool(char)> mayInsert)
    : QObject(&widget), sink_(sink), shortcuts_(shortcuts), handler_(handler), mayInsert_(std::move(mayInsert)) {
    widget.installEventFilter(this);
}

bool KeyPressFilter::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    auto& key = static_cast<QKeyEvent&>(*event);
    if (shortcuts_.routeShortcut(key)) return true;
    if (event->type() != QEvent::KeyPress || sink_.rendering()) return false;
    // A key held for a command that is no shortcut here is neither text nor the widget's to insert
    // (Alt+F would put "f" into the box); the widget's own commands (Ctrl+A, Ctrl+Z) type no text.
    if (heldForCommand(key)) return typesText(key);
    if (typesForeignCharacter(key)) {
        QApplication::beep();
        return true;
    }
    const std::optional<char> ascii = keyAscii(key);
    if (!ascii) return false;
    sink_.forward([this, ascii] {
        if (handler_) handler_(*ascii);
    });
    return !mayInsert_(*ascii);
}

}  // namespace kestrix::app
