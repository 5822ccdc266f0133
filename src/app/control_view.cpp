#include "app/control_view.h"

#include <QWidget>

#include "app/stale_note.h"
#include "platform/qt/qt_font.h"

namespace kestrix::app {

ControlView::ControlView(Control& control, QWidget& widget, const platform::qt::Twips& twips)
    : control_(control), widget_(widget), twips_(twips) {}

void ControlView::render() {
    renderGeometry();
    if (font_ != control_.font) {
        widget_.setFont(platform::qt::toQFont(control_.font));
        font_ = control_.font;
    }
    if (enabled_ != control_.enabled) {
        widget_.setEnabled(control_.enabled);
        enabled_ = control_.enabled;
    }
    renderOwn();
    renderStaleNote();
    if (widget_.isHidden() == control_.visible) widget_.setVisible(control_.visible);
    renderFocus();
}

void ControlView::renderGeometry() {
    if (geometry_ == control_.geometry) return;
    widget_.setGeometry(twips_.toPixels(control_.geometry));
    geometry_ = control_.geometry;
}

void ControlView::renderStaleNote() {
    if (!staleNote_ && control_.staleNote.empty()) return;
    if (!staleNote_) {
        const bool label = control_.kind() == ControlKind::Label;
        staleNote_ = new StaleNote(widget_, label ? StaleNote::Corner::BottomRight : StaleNote::Corner::TopRight);
    }
    staleNote_->render(control_.staleNote);
}

void ControlView::renderFocus() {
    if (!control_.focusRequested) return;
    control_.focusRequested = false;
    QWidget* window = widget_.window();
    if (window->isVisible()) window->activateWindow();
    widget_.setFocus(Qt::OtherFocusReason);
    placeCaret();
}

}  // namespace kestrix::app
