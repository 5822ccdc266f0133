#pragma once

#include <QPlainTextEdit>

#include <cstdint>

#include "app/control_view.h"
#include "app/event_sink.h"
#include "app/shown_text.h"

namespace kestrix::app {

// A multi-line text box. A text that only grew since the last render is appended at the end of
// the widget, which costs the length of the new part whatever the length of the whole; a
// replaced text is set anew. What the user types or selects flows back into the state.
class MultiLineTextView final : public ControlView {
public:
    MultiLineTextView(TextBox& box, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink,
                      ShortcutRouter& shortcuts);

private:
    void renderOwn() override;
    void renderText();
    void renderSelection();
    void renderAlarmHighlights();
    void appendShown(const QString& shown);
    // The widget's selection as byte positions: start and length.
    std::pair<std::size_t, std::size_t> shownSelection() const;
    void userChanged(int position, int charsAdded);
    void userSelected();
    bool mayInsert(char key) const;

    TextBox& box_;
    QPlainTextEdit& widget_;
    EventSink& sink_;
    ShownText shown_;
    std::uint64_t revision_ = 0, replaceRevision_ = 0, selectionRevision_ = 0;
    std::optional<bool> readOnly_, scrollBar_;
    std::vector<TextRange> highlighted_;
    std::uint64_t highlightedRevision_ = 0;  // the text's revision the highlights were drawn on
};

}  // namespace kestrix::app
