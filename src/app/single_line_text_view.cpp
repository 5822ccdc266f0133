#include "app/single_line_text_view.h"

#include "app/key_press_filter.h"
#include "platform/qt/latin1.h"

namespace kestrix::app {

namespace {
constexpr char kEnter = 13;
constexpr int kUnlimited = 32767;  // QLineEdit's own limit
}  // namespace

SingleLineTextView::SingleLineTextView(TextBox& box, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink,
                                       ShortcutRouter& shortcuts)
    : ControlView(box, *new QLineEdit(&canvas), twips),
      box_(box),
      widget_(static_cast<QLineEdit&>(widget())),
      sink_(sink) {
    new KeyPressFilter(widget_, sink, shortcuts, box_.onKeyPress, [](char key) { return key != kEnter; });
    connect(&widget_, &QLineEdit::textEdited, this, [this] { userEdited(); });
    connect(&widget_, &QLineEdit::cursorPositionChanged, this, [this] { userSelected(); });
    connect(&widget_, &QLineEdit::selectionChanged, this, [this] { userSelected(); });
}

void SingleLineTextView::renderOwn() {
    if (readOnly_ != box_.readOnly) {
        widget_.setReadOnly(box_.readOnly);
        readOnly_ = box_.readOnly;
    }
    if (maxLength_ != box_.maxLength) {
        widget_.setMaxLength(box_.maxLength == 0 ? kUnlimited : static_cast<int>(box_.maxLength));
        maxLength_ = box_.maxLength;
    }
    if (revision_ != box_.revision()) {
        widget_.setText(platform::qt::fromBytes(box_.text()));
        revision_ = box_.revision();
        selectionRevision_ = 0;
    }
    if (selectionRevision_ != box_.selectionRevision()) {
        selectionRevision_ = box_.selectionRevision();
        const int start = static_cast<int>(box_.selStart());
        const int length = static_cast<int>(box_.selLength());
        if (shownSelection() == std::pair{box_.selStart(), box_.selLength()}) return;
        if (length == 0) widget_.setCursorPosition(start);
        else widget_.setSelection(start, length);
    }
}

std::pair<std::size_t, std::size_t> SingleLineTextView::shownSelection() const {
    if (!widget_.hasSelectedText()) return {static_cast<std::size_t>(widget_.cursorPosition()), 0};
    return {static_cast<std::size_t>(widget_.selectionStart()), static_cast<std::size_t>(widget_.selectionLength())};
}

void SingleLineTextView::userEdited() {
    if (sink_.rendering()) return;
    const auto [start, length] = shownSelection();
    box_.userEdited(platform::qt::toBytes(widget_.text()), start, length);
}

void SingleLineTextView::userSelected() {
    if (sink_.rendering()) return;
    const auto [start, length] = shownSelection();
    box_.userSelected(start, length);
}

}  // namespace kestrix::app
