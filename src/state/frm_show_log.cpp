#include "state/frm_show_log.h"

#include <cstddef>
#include <string>

namespace kestrix {

namespace {

template <std::size_t N>
void nameArray(std::array<MenuItem, N>& items, const std::string& name, const std::array<const char*, N>& captions) {
    for (std::size_t i = 0; i < N; ++i) {
        items[i].name = name + "(" + std::to_string(i) + ")";
        items[i].caption = captions[i];
    }
}

template <std::size_t N>
void appendArray(std::vector<MenuItem*>& to, std::array<MenuItem, N>& items) {
    for (auto& item : items) to.push_back(&item);
}

}  // namespace

FrmShowLog::FrmShowLog() : Window("frmShowLog", "Control & Query") {
    geometry = {11200, 600, 7300, 3000};

    txtShowLog.font = {"Arial", 7.5f, false, false};
    txtShowLog.multiLine = true;
    txtShowLog.verticalScrollBar = true;
    txtShowLog.geometry = {120, 0, 5775, 1215};
    cmdClearInfo.caption = "<--Clear";
    cmdClearInfo.geometry = {6000, 405, 1035, 405};
    cmbSendSCPI.geometry = {120, 1320, 5745, 300};
    cmdSendSCPI.caption = "Send Cmd";
    cmdSendSCPI.geometry = {6012, 1200, 1050, 450};
    lblSend.wordWrap = true;
    lblSend.geometry = {150, 1665, 5775, 735};
    cmdClearEntry.caption = "Clear Cmd";
    cmdClearEntry.geometry = {6000, 1710, 1050, 435};
    controls = {&txtShowLog, &cmdClearInfo, &cmbSendSCPI, &cmdSendSCPI, &lblSend, &cmdClearEntry};

    nameArray(mnuFirmware, "mnuFirmware", {"&Download Firmware..."});
    nameArray(mnuHelpItem, "mnuHelpItem", {"&Help"});

    mnuFile.items = {&mnuFilePrint};
    mnuFile.visible = false;  // printing the log is not offered
    mnuEdit.items = {&mnuEditItem};

    buildCatalogueMenus();

    appendArray(mnuService.items, mnuFirmware);
    appendArray(mnuHelp.items, mnuHelpItem);
    menuBar = {&mnuFile, &mnuEdit, &mnuControl, &mnuQuery, &mnuService, &mnuHelp};

    for (MenuItem* entry : modelSpecificEntries()) entry->visible = false;
}

void FrmShowLog::buildCatalogueMenus() {
    MenuItem* submenu = nullptr;  // the entry of depth 1 that entries of depth 2 belong to
    for (const CatalogueEntry& entry : commandCatalogue()) {
        MenuItem item = entry.isSeparator() ? MenuItem::separator(std::string(entry.name))
                                            : MenuItem(std::string(entry.name), std::string(entry.caption));
        catalogueItems.push_back(CatalogueItem{&entry, std::move(item)});
        MenuItem& built = catalogueItems.back().item;  // a deque keeps its elements where they are
        MenuItem& menu = entry.menu == CatalogueMenu::Control ? mnuControl : mnuQuery;
        if (entry.depth == 1) {
            menu.items.push_back(&built);
            submenu = &built;
        } else if (submenu != nullptr) {
            submenu->items.push_back(&built);
        }
    }
}

std::vector<MenuItem*> FrmShowLog::modelSpecificEntries() {
    std::vector<MenuItem*> entries;
    for (CatalogueItem& built : catalogueItems)
        if (built.entry->modelSpecific) entries.push_back(&built.item);
    return entries;
}

}  // namespace kestrix
