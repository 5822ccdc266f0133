#include "app/stale_note.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include <algorithm>

#include "platform/qt/latin1.h"

namespace kestrix::app {

namespace {
constexpr int kMarginPx = 8;  // clear of the frame, and of the part of the screen past the window's edge
}

StaleNote::StaleNote(QWidget& widget, Corner corner)
    : QObject(&widget), widget_(widget), corner_(corner), note_(*new QLabel(&widget)) {
    note_.setObjectName(widget.objectName() + "StaleNote");
    note_.setTextFormat(Qt::PlainText);
    // The desktop's own font, set property by property so that the widget's (a clock's 48 points)
    // does not pass to the note.
    QFont font = QApplication::font();
    font.setFamilies(font.families());
    font.setPointSizeF(font.pointSizeF());
    font.setBold(false);
    font.setItalic(false);
    note_.setFont(font);
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
        // Halfway to the ground: plainly dimmed, still readable on a white or a grey ground.
        const auto halfway = [](const QColor& text, const QColor& ground) {
            return QColor((text.red() + ground.red()) / 2, (text.green() + ground.green()) / 2,
                          (text.blue() + ground.blue()) / 2);
        };
        dimmed.setColor(QPalette::All, QPalette::Text,
                        halfway(normal_->color(QPalette::Text), normal_->color(QPalette::Base)));
        dimmed.setColor(QPalette::All, QPalette::WindowText,
                        halfway(normal_->color(QPalette::WindowText), normal_->color(QPalette::Window)));
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

void StaleNote::place() {
    const int top = corner_ == Corner::TopRight ? kMarginPx : widget_.height() - note_.height() - kMarginPx;
    note_.move(std::max(0, widget_.width() - note_.width() - kMarginPx), std::max(0, top));
}

}  // namespace kestrix::app
