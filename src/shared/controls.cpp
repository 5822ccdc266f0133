#include "shared/controls.h"

#include <algorithm>

namespace kestrix {

void OptionButton::select(const std::vector<OptionButton*>& all) {
    for (OptionButton* other : all)
        if (other != this && other->group == group) other->value = false;
    value = true;
}

void TextBox::setText(std::string text) {
    text_ = std::move(text);
    ++revision_;
    replaceRevision_ = revision_;
    clampSelection();
    dropOldestBeyondLimit();
}

void TextBox::append(std::string_view more) {
    if (more.empty()) return;
    text_.append(more);
    ++revision_;
    dropOldestBeyondLimit();
}

void TextBox::replaceSelection(std::string_view replacement) {
    clampSelection();
    const std::size_t caret = selStart_ + replacement.size();
    if (selLength_ == 0 && selStart_ == text_.size()) {
        text_.append(replacement);
        ++revision_;
    } else {
        text_.replace(selStart_, selLength_, replacement);
        ++revision_;
        replaceRevision_ = revision_;
    }
    // The caret goes after the replacement; dropping old text moves it with the text.
    selStart_ = caret;
    selLength_ = 0;
    dropOldestBeyondLimit();
    setSelection(selStart_, 0);
}

void TextBox::setSelection(std::size_t start, std::size_t length) {
    selStart_ = start;
    selLength_ = length;
    clampSelection();
    ++selectionRevision_;
}

void TextBox::userEdited(std::string text, std::size_t selStart, std::size_t selLength) {
    text_ = std::move(text);
    selStart_ = selStart;
    selLength_ = selLength;
    clampSelection();
    dropOldestBeyondLimit();  // when it cuts, the revision moves so the widget shows the cut text
}

void TextBox::userSelected(std::size_t selStart, std::size_t selLength) {
    selStart_ = selStart;
    selLength_ = selLength;
    clampSelection();
}

void TextBox::dropOldestBeyondLimit() {
    if (!dropsOldestText || maxLength == 0 || text_.size() <= maxLength) return;
    const std::size_t least = text_.size() - maxLength;  // must go
    const std::size_t most = least + maxLength / 4;      // may go
    std::size_t cut = most;
    const std::size_t lineEnd = text_.find_last_of('\n', most - 1);
    if (lineEnd != std::string::npos && lineEnd + 1 >= least) cut = lineEnd + 1;
    text_.erase(0, cut);
    const auto shifted = [cut](std::size_t at) { return at > cut ? at - cut : 0; };
    const std::size_t end = shifted(selStart_ + selLength_);
    selStart_ = shifted(selStart_);
    selLength_ = end - selStart_;
    ++revision_;
    replaceRevision_ = revision_;
    ++selectionRevision_;
}

void TextBox::clampSelection() {
    selStart_ = std::min(selStart_, text_.size());
    selLength_ = std::min(selLength_, text_.size() - selStart_);
}

bool Timer::fire() {
    if (!enabled || inTick_ || !onTick) return false;
    inTick_ = true;
    ++ticksRun_;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inTick_};
    onTick();
    return true;
}

namespace {
void collect(const std::vector<MenuItem*>& items, std::vector<MenuItem*>& out) {
    for (MenuItem* item : items) {
        out.push_back(item);
        collect(item->items, out);
    }
}
}  // namespace

std::vector<MenuItem*> allMenuItems(const Window& window) {
    std::vector<MenuItem*> out;
    collect(window.menuBar, out);
    return out;
}

MenuItem* findMenuItem(const Window& window, std::string_view name) {
    for (MenuItem* item : allMenuItems(window))
        if (item->name == name) return item;
    return nullptr;
}

Control* findControl(const Window& window, std::string_view name) {
    for (Control* control : window.controls)
        if (control->name == name) return control;
    return nullptr;
}

}  // namespace kestrix

namespace kestrix {

void ShownState::add(std::string_view text) {
    addPlain(text.size());
    bytes_.append(text);
}

void ShownState::add(const Rect& r) {
    for (const int n : {r.left, r.top, r.width, r.height}) add(n);
}

void ShownState::add(const FontSpec& f) {
    add(f.name);
    addPlain(f.size);
    add(f.italic);
    add(f.bold);
}

void Control::addShownState(ShownState& d) const {
    d.add(static_cast<int>(kind()));
    d.add(visible);
    d.add(enabled);
    d.add(geometry);
    d.add(font);
    d.add(focusRequested);
    d.add(staleNote);
}

void Label::addShownState(ShownState& d) const {
    Control::addShownState(d);
    d.add(caption);
    for (const bool flag : {wordWrap, centered, elideInTheMiddle, showsProgramIcon, alarmColours}) d.add(flag);
    d.add(toolTip);
}

void Line::addShownState(ShownState& d) const {
    Control::addShownState(d);
    for (const int n : {x1, y1, x2, y2}) d.add(n);
}

void Frame::addShownState(ShownState& d) const {
    Control::addShownState(d);
    d.add(caption);
}

void ProgressBar::addShownState(ShownState& d) const {
    Control::addShownState(d);
    d.add(static_cast<std::uint64_t>(maximum));
    d.add(static_cast<std::uint64_t>(value));
}

void Button::addShownState(ShownState& d) const {
    Control::addShownState(d);
    d.add(caption);
}

void OptionButton::addShownState(ShownState& d) const {
    Control::addShownState(d);
    d.add(caption);
    d.add(group);
    d.add(value);
}

// The text itself is stood for by its revisions, which every change of it moves.
void TextBox::addShownState(ShownState& d) const {
    Control::addShownState(d);
    for (const std::uint64_t n : {revision_, replaceRevision_, selectionRevision_, std::uint64_t{maxLength}}) d.add(n);
    for (const bool flag : {multiLine, verticalScrollBar, readOnly, dropsOldestText}) d.add(flag);
    d.add(std::uint64_t{alarmHighlights.size()});
    for (const TextRange& r : alarmHighlights) {
        d.add(std::uint64_t{r.start});
        d.add(std::uint64_t{r.length});
    }
}

void ComboBox::addShownState(ShownState& d) const {
    Control::addShownState(d);
    d.add(text);
    d.add(std::uint64_t{caretPosition});
    d.add(listRevision_);
}

void recordShownState(const Window& window, ShownState& d) {
    d.clear();
    d.add(window.caption);
    for (const bool flag :
         {window.visible, window.enabled, window.dialog, window.greyBackground, window.raiseRequested})
        d.add(flag);
    d.add(window.geometry);
    d.add(window.frameWidth);
    d.add(window.frameHeight);
    d.add(window.font);
    d.add(static_cast<int>(window.mousePointer));
    for (const Control* control : window.controls) control->addShownState(d);
}

}  // namespace kestrix
