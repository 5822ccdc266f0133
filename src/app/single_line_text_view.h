#pragma once

#include <QLineEdit>

#include <cstdint>

#include "app/control_view.h"
#include "app/event_sink.h"

namespace kestrix::app {

// A single-line text box: one character of the widget for each byte. Enter goes to the key-press
// handler only.
class SingleLineTextView final : public ControlView {
public:
    SingleLineTextView(TextBox& box, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink,
                       ShortcutRouter& shortcuts);

private:
    void renderOwn() override;
    std::pair<std::size_t, std::size_t> shownSelection() const;
    void userEdited();
    void userSelected();

    TextBox& box_;
    QLineEdit& widget_;
    EventSink& sink_;
    std::uint64_t revision_ = 0, selectionRevision_ = 0;
    std::optional<bool> readOnly_;
    std::optional<std::size_t> maxLength_;
};

}  // namespace kestrix::app
