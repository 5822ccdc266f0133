// Every menu entry the user can choose in the main window and in Control & Query runs something
// once the program is assembled: an entry left without a handler would do nothing when clicked.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/rig.h"

namespace kestrix {
namespace {

using testing::Rig;

// The entries of `menus` a user can reach: visible, under visible menus, and not separators.
void reachableEntries(const std::vector<MenuItem*>& menus, std::vector<const MenuItem*>& entries) {
    for (const MenuItem* item : menus) {
        if (!item->visible || item->isSeparator) continue;
        if (item->items.empty()) entries.push_back(item);
        else reachableEntries(item->items, entries);
    }
}

TEST(Menus, EveryReachableEntryOfTheMainWindowAndControlAndQueryHasAHandler) {
    Rig rig;
    rig.app->start();
    const std::vector<const Window*> windows{&rig.form1, &rig.forms.frmShowLog};
    for (const Window* window : windows) {
        std::vector<const MenuItem*> entries;
        reachableEntries(window->menuBar, entries);
        EXPECT_GT(entries.size(), 10u) << window->name;
        for (const MenuItem* item : entries)
            EXPECT_TRUE(item->onClick) << window->name << ": " << item->name << " \"" << item->caption << "\"";
    }
}

}  // namespace
}  // namespace kestrix
