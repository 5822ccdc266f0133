#pragma once

#include <QComboBox>

#include <cstdint>

#include "app/control_view.h"
#include "app/event_sink.h"

namespace kestrix::app {

// An editable drop-down combo box. The list is only extended or cleared; typed text flows back
// into the state; choosing a line of the list puts it into the text and runs the click handler.
// Enter goes to the key-press handler only: the widget neither adds the line to its list nor
// completes what is typed.
class ComboBoxView final : public ControlView {
public:
    ComboBoxView(ComboBox& combo, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink,
                 ShortcutRouter& shortcuts);

private:
    void renderOwn() override;
    void renderItems();
    void placeCaret() override;
    void userEdited(const QString& text);
    void userChose(int index);

    ComboBox& combo_;
    QComboBox& widget_;
    EventSink& sink_;
    std::uint64_t listRevision_ = 0;
    std::optional<std::string> text_;
};

}  // namespace kestrix::app
