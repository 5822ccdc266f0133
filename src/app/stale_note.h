#pragma once

#include <QObject>
#include <QPalette>

#include <optional>
#include <string>

class QLabel;
class QWidget;

namespace kestrix::app {

// Shows that a widget's data is old: its text dimmed and a small note in its top right corner
// saying since when. The note is also the widget's accessible description.
class StaleNote final : public QObject {
public:
    explicit StaleNote(QWidget& widget);
    // Shows `note`, or the widget as it normally is when `note` is empty.
    void render(const std::string& note);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QWidget& widget_;
    QLabel& note_;
    std::optional<QPalette> normal_;  // the widget's palette while it is dimmed
    std::string shown_;
};

}  // namespace kestrix::app
