#pragma once

#include <QObject>

#include <functional>

#include "app/event_sink.h"

class QWidget;

namespace kestrix::app {

// Watches the keys typed into a text widget. A menu shortcut of the window goes to its menu
// item. A character key goes to the control's key-press handler first; the widget then inserts
// it, unless `mayInsert` refuses the key. Keys of characters the program cannot hold are dropped,
// and so are keys typed with Alt or Ctrl held that are no shortcut: they are not text.
class KeyPressFilter final : public QObject {
public:
    using Handler = std::function<void(char key)>;
    KeyPressFilter(QWidget& widget, EventSink& sink, ShortcutRouter& shortcuts, const Handler& handler,
                   std::function<bool(char key)> mayInsert);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EventSink& sink_;
    ShortcutRouter& shortcuts_;
    const Handler& handler_;
    std::function<bool(char)> mayInsert_;
};

}  // namespace kestrix::app
