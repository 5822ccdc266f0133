#pragma once

#include <QObject>

#include <optional>
#include <string>
#include <vector>

#include "app/event_sink.h"
#include "shared/controls.h"

class QAction;
class QMenu;
class QMainWindow;
class QMenuBar;
class QWidget;

namespace kestrix::app {

// A window's menu bar: a menu for each item that has items, an action for each other item, a
// separator for each separator. A click runs the item's handler; opening a menu runs the menu's.
// A check mark is drawn only while the item is checked.
class MenuView final : public QObject, public ShortcutRouter {
public:
    // Gives `window` a menu bar when there are menus.
    MenuView(const std::vector<MenuItem*>& menuBar, QMainWindow& window, EventSink& sink);
    void render();
    // Whether every item stands as it was last drawn, read from the items alone.
    bool drawnAsItStands() const;
    bool routeShortcut(QKeyEvent& event) override;
    // The action showing an item, or nullptr.
    QAction* actionOf(const MenuItem& item) const;

private:
    struct Entry {
        MenuItem* item;
        QAction* action;
        int parent;  // index of the entry of the enclosing menu, -1 on the bar
        std::optional<std::string> caption, shortcut;
        bool checked = false, enabled = false, visible = false;  // the item's, when last drawn
        bool standsAsDrawn() const;
    };
    void add(MenuItem& item, QMenuBar* bar, QMenu* menu, int parent);
    void renderEntry(Entry& entry);
    bool reachable(const Entry& entry) const;
    void clicked(MenuItem& item);

    EventSink& sink_;
    std::vector<Entry> entries_;
};

}  // namespace kestrix::app
