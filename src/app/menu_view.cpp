#include "app/menu_view.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "platform/qt/latin1.h"

namespace kestrix::app {

MenuView::MenuView(const std::vector<MenuItem*>& menuBar, QMainWindow& window, EventSink& sink) : sink_(sink) {
    if (menuBar.empty()) return;
    QMenuBar* bar = window.menuBar();
    for (MenuItem* item : menuBar) add(*item, bar, nullptr, -1);
}

void MenuView::add(MenuItem& item, QMenuBar* bar, QMenu* menu, int parent) {
    QAction* action = nullptr;
    QMenu* submenu = nullptr;
    if (!item.items.empty()) {
        submenu = bar ? bar->addMenu(QString()) : menu->addMenu(QString());
        action = submenu->menuAction();
        connect(submenu, &QMenu::aboutToShow, this, [this, &item] { clicked(item); });
    } else if (item.isSeparator) {
        action = bar ? bar->addSeparator() : menu->addSeparator();
    } else {
        action = bar ? bar->addAction(QString()) : menu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, &item] { clicked(item); });
    }
    const int index = static_cast<int>(entries_.size());
    entries_.push_back({&item, action, parent, std::nullopt, std::nullopt});
    for (MenuItem* child : item.items) add(*child, nullptr, submenu, index);
}

void MenuView::clicked(MenuItem& item) {
    if (sink_.rendering()) return;
    sink_.forward([&item] {
        if (item.onClick) item.onClick();
    });
}

void MenuView::render() {
    for (Entry& entry : entries_) renderEntry(entry);
}

void MenuView::renderEntry(Entry& entry) {
    const MenuItem& item = *entry.item;
    QAction& action = *entry.action;
    if (!item.isSeparator && entry.caption != item.caption) {
        action.setText(platform::qt::fromBytes(item.caption));
        if (QMenu* menu = action.menu()) menu->setTitle(action.text());
        entry.caption = item.caption;
    }
    if (entry.shortcut != item.shortcut) {
        action.setShortcut(QKeySequence(platform::qt::fromBytes(item.shortcut)));
        entry.shortcut = item.shortcut;
    }
    if (action.isCheckable() != item.checked) action.setCheckable(item.checked);
    if (action.isChecked() != item.checked) action.setChecked(item.checked);
    if (action.isEnabled() != item.enabled) action.setEnabled(item.enabled);
    if (action.isVisible() != item.visible) action.setVisible(item.visible);
    entry.checked = item.checked;
    entry.enabled = item.enabled;
    entry.visible = item.visible;
}

// Menus hold most of a window's entries, and a tick seldom changes one: comparing each item with
// what was drawn of it costs far less than writing them all out again.
bool MenuView::drawnAsItStands() const {
    return std::all_of(entries_.begin(), entries_.end(), [](const Entry& entry) { return entry.standsAsDrawn(); });
}

bool MenuView::Entry::standsAsDrawn() const {
    return item->checked == checked && item->enabled == enabled && item->visible == visible &&
           (item->isSeparator || caption == item->caption) && shortcut == item->shortcut;
}

bool MenuView::reachable(const Entry& entry) const {
    for (const Entry* at = &entry;; at = &entries_[static_cast<std::size_t>(at->parent)]) {
        if (!at->item->enabled || !at->item->visible) return false;
        if (at->parent < 0) return true;
    }
}

bool MenuView::routeShortcut(QKeyEvent& event) {
    const QKeySequence pressed(event.keyCombination());
    for (const Entry& entry : entries_) {
        if (entry.item->shortcut.empty() || entry.action->shortcut() != pressed || !reachable(entry)) continue;
        if (event.type() == QEvent::ShortcutOverride) event.accept();
        else clicked(*entry.item);
        return true;
    }
    return false;
}

QAction* MenuView::actionOf(const MenuItem& item) const {
    for (const Entry& entry : entries_)
        if (entry.item == &item) return entry.action;
    return nullptr;
}

}  // namespace kestrix::app
