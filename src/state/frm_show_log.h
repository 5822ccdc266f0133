#pragma once

#include <array>
#include <deque>
#include <vector>

#include "shared/controls.h"
#include "state/command_catalogue.h"

namespace kestrix {

// The Control & Query window: the command line with its history, the log, and the command menus.
struct FrmShowLog : Window {
    FrmShowLog();

    TextBox txtShowLog{"txtShowLog"};
    Button cmdClearInfo{"cmdClearInfo"};
    ComboBox cmbSendSCPI{"cmbSendSCPI"};
    Button cmdSendSCPI{"cmdSendSCPI"};
    Label lblSend{"lblSend"};
    Button cmdClearEntry{"cmdClearEntry"};

    MenuItem mnuFile{"mnuFile", "File"};
    MenuItem mnuFilePrint{"mnuFilePrint", "Print Control and Query Log..."};

    MenuItem mnuEdit{"mnuEdit", "&Edit"};
    MenuItem mnuEditItem{"mnuEditItem", "&Copy to Clipboard", "Ctrl+C"};

    MenuItem mnuControl{"mnuControl", "&Control"};
    MenuItem mnuQuery{"mnuQuery", "&Query"};
    // Every entry of "&Control" and "&Query" (submenus and separators too), built from the command
    // catalogue in menu order, each with the row it was built from.
    struct CatalogueItem {
        const CatalogueEntry* entry;
        MenuItem item;
    };
    std::deque<CatalogueItem> catalogueItems;

    MenuItem mnuService{"mnuService", "&Service"};
    std::array<MenuItem, 1> mnuFirmware;

    MenuItem mnuHelp{"mnuHelp", "&Help"};
    std::array<MenuItem, 1> mnuHelpItem;

    // The entries shown only while the identified receiver is the 73408K.
    std::vector<MenuItem*> modelSpecificEntries();

private:
    void buildCatalogueMenus();
};

}  // namespace kestrix
