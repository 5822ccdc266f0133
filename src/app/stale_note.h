#pragma once

#include <QObject>
#include <QPalette>

#include <optional>
#include <string>

class QLabel;
class QWidget;

namespace kestrix::app {

// Shows that a widget's data is old: its text dimmed and a small note in a corner saying since
// when. The note is also the widget's accessible description.
class StaleNote final : public QObject {
public:
    // The top right corner, clear of a screen's text that starts at the left; or the bottom right
    // one, below a label's text that starts at the top (a clock's large digits).
    enum class Corner { TopRight, BottomRight };
    StaleNote(QWidget& widget, Corner corner);
    // Shows `note`, or the widget as it normally is when `note` is empty.
    void render(const std::string& note);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QWidget& widget_;
    Corner corner_;
    QLabel& note_;
    std::optional<QPalette> normal_;  // the widget's palette while it is dimmed
    std::string shown_;
};

}  // namespace kestrix::app
