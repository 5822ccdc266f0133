#include "app/stale_note.h"

#include <QEvent>
#include <QLabel>
#include <QWidget>

#include <algorithm>

#include "platform/qt/latin1.h"

namespace kestrix::app {

namespace {
constexpr int kMarginPx = 8;  // clear of the frame, and of the part of the screen past the window's edge
}

StaleNote::StaleNote(QWidget& widget) : QObject(&widget), widget_(widget), note_(*new QLabel(&widget)) {
    note_.setObjectName(widget.objectName() + "StaleNote");
    note_.setTextFormat(Qt::PlainText);
    note_.setFont(QFont());  // the desktop's own size, whatever the widget's font
    note_.setAutoFillBackground(true);
    note_.setForegroundRole(QPalette::ToolTipText);
    note_.setBackgroundRole(QPalette::ToolTipBase);
    note_.setMargin(2);
    note_.setAttribute(Qt::WA_TransparentForMouseEvents);
    note_.hide();
    widget.installEventFilter(this);
}

void StaleNote::render(const std::string& note) {
    if (note == shown_) return;
    shown_ = note;
    if (note.empty()) {
        note_.hide();
        if (normal_) widget_.setPalette(*normal_);
        normal_.reset();
        widget_.setAccessibleDescription(QString());
        return;
    }
    if (!normal_) {
        normal_ = widget_.palette();
        QPalette dimmed = *normal_;
        const QColor grey = normal_->color(QPalette::Disabled, QPalette::Text);
        for (const auto role : {QPalette::Text, QPalette::WindowText}) dimmed.setColor(QPalette::All, role, grey);
        widget_.setPalette(dimmed);
    }
    note_.setText(platform::qt::fromBytes(note));
    widget_.setAccessibleDescription(note_.text());
    note_.adjustSize();
    place();
    note_.show();
    note_.raise();
}

bool StaleNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &widget_ && event->type() == QEvent::Resize && note_.isVisible()) place();
    return false;
}

void StaleNote::place() { note_.move(std::max(0, widget_.width() - note_.width() - kMarginPx), kMarginPx); }

}  // namespace kestrix::app
