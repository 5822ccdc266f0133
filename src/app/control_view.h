#pragma once

#include <QObject>

#include <optional>

#include "platform/qt/twips.h"
#include "shared/controls.h"

class QWidget;

namespace kestrix::app {

class StaleNote;

// A control shown by a widget. render() writes what changed in the control's state since the
// last render: the properties every control has here, those of its kind in renderOwn().
class ControlView : public QObject {
public:
    ControlView(Control& control, QWidget& widget, const platform::qt::Twips& twips);
    void render();
    QWidget& widget() const { return widget_; }

protected:
    virtual void renderOwn() = 0;
    // Places the widget by the control's geometry; a kind placed otherwise overrides it.
    virtual void renderGeometry();
    // Puts the caret where the program wants it once the widget has the focus.
    virtual void placeCaret() {}
    const platform::qt::Twips& twips() const { return twips_; }

private:
    void renderFocus();
    void renderStaleNote();

    Control& control_;
    QWidget& widget_;
    const platform::qt::Twips& twips_;
    std::optional<Rect> geometry_;
    std::optional<FontSpec> font_;
    std::optional<bool> enabled_;
    StaleNote* staleNote_ = nullptr;  // made when the control's data is first old
};

}  // namespace kestrix::app
