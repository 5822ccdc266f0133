#include "app/multi_line_text_view.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "app/key_press_filter.h"

namespace kestrix::app {

namespace {
constexpr char kBackspace = 8;
}

MultiLineTextView::MultiLineTextView(TextBox& box, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink,
                                     ShortcutRouter& shortcuts)
    : ControlView(box, *new QPlainTextEdit(&canvas), twips),
      box_(box),
      widget_(static_cast<QPlainTextEdit&>(widget())),
      sink_(sink) {
    widget_.setUndoRedoEnabled(false);  // a long log must not be kept twice
    widget_.setTabChangesFocus(true);
    widget_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget_.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Screens are sized to their font's lines: no margin beyond the box's own border.
    widget_.document()->setDocumentMargin(1);
    new KeyPressFilter(widget_, sink, shortcuts, box_.onKeyPress, [this](char key) { return mayInsert(key); });
    connect(widget_.document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int charsAdded) { userChanged(position, charsAdded); });
    connect(&widget_, &QPlainTextEdit::cursorPositionChanged, this, [this] { userSelected(); });
    connect(&widget_, &QPlainTextEdit::selectionChanged, this, [this] { userSelected(); });
}

void MultiLineTextView::renderOwn() {
    if (readOnly_ != box_.readOnly) {
        widget_.setReadOnly(box_.readOnly);
        readOnly_ = box_.readOnly;
    }
    if (scrollBar_ != box_.verticalScrollBar) {
        widget_.setVerticalScrollBarPolicy(box_.verticalScrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        scrollBar_ = box_.verticalScrollBar;
    }
    renderText();
    renderSelection();
    renderAlarmHighlights();
}

// Alarm lines are drawn on a light red ground in a dark red, across the whole width, whatever
// the widget's colours; the text and the user's selection are not touched.
void MultiLineTextView::renderAlarmHighlights() {
    if (highlighted_ == box_.alarmHighlights && highlightedRevision_ == box_.revision()) return;
    highlighted_ = box_.alarmHighlights;
    highlightedRevision_ = box_.revision();
    QList<QTextEdit::ExtraSelection> selections;
    const std::size_t textSize = box_.text().size();
    for (const TextRange& range : highlighted_) {
        if (range.start >= textSize) continue;
        const std::size_t end = std::min(textSize, range.start + range.length);
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(widget_.document());
        selection.cursor.setPosition(static_cast<int>(shown_.toShown(range.start)));
        selection.cursor.setPosition(static_cast<int>(shown_.toShown(end)), QTextCursor::KeepAnchor);
        selection.format.setBackground(QColor(0xff, 0xcd, 0xd2));
        selection.format.setForeground(QColor(0x8e, 0x00, 0x00));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selections.append(selection);
    }
    widget_.setExtraSelections(selections);
}

void MultiLineTextView::renderText() {
    if (box_.revision() == revision_) return;
    const std::string& text = box_.text();
    if (box_.replaceRevision() != replaceRevision_ || text.size() < shown_.byteCount()) {
        widget_.setPlainText(shown_.reset(text));
        replaceRevision_ = box_.replaceRevision();
    } else {
        appendShown(shown_.append(std::string_view(text).substr(shown_.byteCount())));
    }
    revision_ = box_.revision();
    selectionRevision_ = 0;  // the widget's caret may have moved with the text
}

void MultiLineTextView::appendShown(const QString& shown) {
    if (shown.isEmpty()) return;
    QTextCursor end(widget_.document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
}

void MultiLineTextView::renderSelection() {
    if (box_.selectionRevision() == selectionRevision_) return;
    selectionRevision_ = box_.selectionRevision();
    const std::pair<std::size_t, std::size_t> wanted{box_.selStart(), box_.selLength()};
    if (shownSelection() != wanted) {
        QTextCursor cursor = widget_.textCursor();
        cursor.setPosition(static_cast<int>(shown_.toShown(wanted.first)));
        cursor.setPosition(static_cast<int>(shown_.toShown(wanted.first + wanted.second)), QTextCursor::KeepAnchor);
        widget_.setTextCursor(cursor);
    }
    // Placing the caret brings it into view even where the widget's caret already stood there
    // (text appended after a caret at the end leaves it at the end, out of sight).
    widget_.ensureCursorVisible();
}

std::pair<std::size_t, std::size_t> MultiLineTextView::shownSelection() const {
    const QTextCursor cursor = widget_.textCursor();
    const std::size_t start = shown_.toBytes(static_cast<std::size_t>(cursor.selectionStart()));
    const std::size_t end = shown_.toBytes(static_cast<std::size_t>(cursor.selectionEnd()));
    return {start, end - start};
}

// The user changed the text: the change is spliced into the state's bytes so that line breaks
// the user did not touch keep their bytes.
void MultiLineTextView::userChanged(int position, int charsAdded) {
    if (sink_.rendering()) return;
    const QTextDocument& document = *widget_.document();
    const qsizetype shownNow = document.characterCount() - 1;
    const qsizetype shownBefore = static_cast<qsizetype>(shown_.shownCount());
    // Qt may report more than it changed; the lengths settle what was removed.
    qsizetype added = std::min<qsizetype>(charsAdded, shownNow - position);
    qsizetype removed = added + shownBefore - shownNow;
    if (position < 0 || added < 0 || removed < 0 || position + removed > shownBefore) {
        position = 0;
        added = shownNow;
        removed = shownBefore;
    }
    QTextCursor inserted(widget_.document());
    inserted.setPosition(position);
    inserted.setPosition(static_cast<int>(position + added), QTextCursor::KeepAnchor);
    const std::size_t from = shown_.toBytes(static_cast<std::size_t>(position));
    const std::size_t to = shown_.toBytes(static_cast<std::size_t>(position + removed));
    std::string text = box_.text();
    text.replace(from, to - from, bytesOfShown(inserted.selectedText()));
    shown_.reindex(text);
    const auto [start, length] = shownSelection();
    box_.userEdited(std::move(text), start, length);
}

void MultiLineTextView::userSelected() {
    if (sink_.rendering()) return;
    if (shown_.shownCount() != static_cast<std::size_t>(widget_.document()->characterCount() - 1)) return;
    const auto [start, length] = shownSelection();
    box_.userSelected(start, length);
}

bool MultiLineTextView::mayInsert(char key) const {
    if (box_.maxLength == 0 || box_.dropsOldestText || key == kBackspace) return true;
    if (box_.text().size() - box_.selLength() < box_.maxLength) return true;
    QApplication::beep();
    return false;
}

}  // namespace kestrix::app
