#include "app/combo_box_view.h"

#include <QLineEdit>

#include "app/key_press_filter.h"
#include "platform/qt/latin1.h"

namespace kestrix::app {

namespace {
constexpr char kEnter = 13;
}

ComboBoxView::ComboBoxView(ComboBox& combo, QWidget& canvas, const platform::qt::Twips& twips, EventSink& sink,
                           ShortcutRouter& shortcuts)
    : ControlView(combo, *new QComboBox(&canvas), twips),
      combo_(combo),
      widget_(static_cast<QComboBox&>(widget())),
      sink_(sink) {
    widget_.setEditable(true);
    widget_.setInsertPolicy(QComboBox::NoInsert);
    widget_.setCompleter(nullptr);
    widget_.setDuplicatesEnabled(true);
    // The line edit hands its focus to the combo box, which receives the keys.
    new KeyPressFilter(widget_, sink, shortcuts, combo_.onKeyPress, [](char key) { return key != kEnter; });
    connect(widget_.lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) { userEdited(text); });
    connect(&widget_, &QComboBox::activated, this, [this](int index) { userChose(index); });
}

void ComboBoxView::renderOwn() {
    renderItems();
    if (text_ != combo_.text) {
        widget_.setEditText(platform::qt::fromBytes(combo_.text));
        text_ = combo_.text;
    }
}

void ComboBoxView::renderItems() {
    if (listRevision_ == combo_.listRevision()) return;
    const auto& items = combo_.items();
    const auto shown = static_cast<std::size_t>(widget_.count());
    // Each added line moves the revision by one: anything else means the list was cleared.
    const bool onlyAdded = items.size() >= shown && combo_.listRevision() - listRevision_ == items.size() - shown;
    listRevision_ = combo_.listRevision();
    if (!onlyAdded) widget_.clear();
    for (std::size_t i = static_cast<std::size_t>(widget_.count()); i < items.size(); ++i)
        widget_.addItem(platform::qt::fromBytes(items[i]));
    text_.reset();  // the widget may have put a line of the list into its text
}

void ComboBoxView::placeCaret() { widget_.lineEdit()->setCursorPosition(static_cast<int>(combo_.caretPosition)); }

void ComboBoxView::userEdited(const QString& text) {
    if (sink_.rendering()) return;
    combo_.text = platform::qt::toBytes(text);
    text_ = combo_.text;
}

void ComboBoxView::userChose(int index) {
    if (sink_.rendering() || index < 0) return;
    userEdited(widget_.itemText(index));
    sink_.forward([this] {
        if (combo_.onClick) combo_.onClick();
    });
}

}  // namespace kestrix::app
