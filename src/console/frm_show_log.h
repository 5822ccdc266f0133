#pragma once

#include <array>

#include "shared/controls.h"

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
    std::array<MenuItem, 13> mnuControlItem;
    MenuItem hyph10 = MenuItem::separator("hyph10");
    std::array<MenuItem, 6> mnuPowControlItem;
    MenuItem hyph11 = MenuItem::separator("hyph11");
    MenuItem mnuAlarmclr{"mnuAlarmclr", "A&larm Clear"};
    std::array<MenuItem, 1> mnuAlarmArray;

    MenuItem mnuQuery{"mnuQuery", "&Query"};
    std::array<MenuItem, 14> mnuQueryItem;
    MenuItem hyph5 = MenuItem::separator("hyph5");
    MenuItem mnuTst{"mnuTst", "&Timestamp Data"};
    std::array<MenuItem, 3> mnuTstItem;
    MenuItem mnuSamp{"mnuSamp", "S&amples Collected"};
    std::array<MenuItem, 4> mnuSampItem;
    MenuItem mnuOverflow{"mnuOverflow", "Ove&rflow Count"};
    std::array<MenuItem, 4> mnuOverflowItem;
    MenuItem mnuFirstorLast{"mnuFirstorLast", "Time&stamp Capture Method"};
    MenuItem hyph6 = MenuItem::separator("hyph6");
    MenuItem mnuPulseMode{"mnuPulseMode", "TOD Output Periodic/O&nce"};
    MenuItem mnuDailyPulse{"mnuDailyPulse", "TOD Start Time"};
    MenuItem mnuPulsePeriod{"mnuPulsePeriod", "T&OD Start Date"};
    MenuItem mnuPeriodicStart{"mnuPeriodicStart", "TOD &Period"};
    MenuItem hyph7 = MenuItem::separator("hyph7");
    MenuItem mnuQueryStatus{"mnuQueryStatus", "Stat&us System"};
    std::array<MenuItem, 5> mnuStatItem;

    MenuItem mnuService{"mnuService", "&Service"};
    std::array<MenuItem, 1> mnuFirmware;

    MenuItem mnuHelp{"mnuHelp", "&Help"};
    std::array<MenuItem, 1> mnuHelpItem;

    // The entries shown only while the identified receiver is the 73408K.
    std::vector<MenuItem*> modelSpecificEntries();
};

}  // namespace kestrix
