#include "console/frm_show_log.h"

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

    nameArray(mnuControlItem, "mnuControlItem",
              {"&Antenna Delay", "Elevation Mas&k Angle", "Initial &Date", "&Initial Time", "Initial Po&sition",
               "Position-Hold Lo&cation", "Su&rvey", "Satellite I&gnore", "Go to Manual &Holdover",
               "Reco&ver from Manual Holdover", "S&ynchronization Immediate", "Clear Diagnos&tic Log",
               "Time o&ffset from UTC"});
    nameArray(mnuPowControlItem, "mnuPowControlItem",
              {"Clear Ti&mestamps", "Timestamp Capt&ure Method", "TOD Output Periodic/O&nce", "T&OD Start Time",
               "TOD Start Dat&e", "TOD &Period"});
    nameArray(mnuAlarmArray, "mnuAlarmArray", {"&Clear Alarm and Show Cause"});
    nameArray(mnuQueryItem, "mnuQueryItem",
              {"Produ&ct ID", "Antenna dela&y", "Elevation Mas&k Angle", "Get &Diagnostic Log", "Last &Held Position",
               "I&gnored Satellites", "T&imecode", "Dat&e", "Ti&me", "Absolute E&FC Value", "Time Inter&val",
               "Time&zone Offset", "Po&wer-up Survey State", "Accumulated &Leapseconds"});
    nameArray(mnuTstItem, "mnuTstItem", {"Input &1", "Input &2", "Input &3"});
    nameArray(mnuSampItem, "mnuSampItem", {"Input &1", "Input &2", "Input &3", "&All Inputs"});
    nameArray(mnuOverflowItem, "mnuOverflowItem", {"Input &1", "Input &2", "Input &3", "&All Inputs"});
    nameArray(mnuStatItem, "mnuStatItem",
              {"All &Conditions", "All E&vents", "All E&nable Masks", "All &Positive Transition Filters",
               "All Ne&gative Transition Filters"});
    nameArray(mnuFirmware, "mnuFirmware", {"&Download Firmware..."});
    nameArray(mnuHelpItem, "mnuHelpItem", {"&Help"});

    mnuFile.items = {&mnuFilePrint};
    mnuFile.visible = false;   // printing the log is not offered
    mnuEdit.items = {&mnuEditItem};

    appendArray(mnuControl.items, mnuControlItem);
    mnuControl.items.push_back(&hyph10);
    appendArray(mnuControl.items, mnuPowControlItem);
    mnuControl.items.push_back(&hyph11);
    mnuControl.items.push_back(&mnuAlarmclr);
    appendArray(mnuAlarmclr.items, mnuAlarmArray);

    appendArray(mnuQuery.items, mnuQueryItem);
    appendArray(mnuTst.items, mnuTstItem);
    appendArray(mnuSamp.items, mnuSampItem);
    appendArray(mnuOverflow.items, mnuOverflowItem);
    appendArray(mnuQueryStatus.items, mnuStatItem);
    for (MenuItem* item : {&hyph5, &mnuTst, &mnuSamp, &mnuOverflow, &mnuFirstorLast, &hyph6, &mnuPulseMode,
                           &mnuDailyPulse, &mnuPulsePeriod, &mnuPeriodicStart, &hyph7, &mnuQueryStatus})
        mnuQuery.items.push_back(item);

    appendArray(mnuService.items, mnuFirmware);
    appendArray(mnuHelp.items, mnuHelpItem);
    menuBar = {&mnuFile, &mnuEdit, &mnuControl, &mnuQuery, &mnuService, &mnuHelp};

    for (MenuItem* entry : modelSpecificEntries()) entry->visible = false;
}

std::vector<MenuItem*> FrmShowLog::modelSpecificEntries() {
    std::vector<MenuItem*> entries{&mnuTst,  &mnuOverflow, &mnuPulseMode, &mnuDailyPulse,  &mnuPulsePeriod,
                                   &mnuPeriodicStart, &hyph10, &hyph5, &hyph6, &mnuSamp, &mnuFirstorLast};
    appendArray(entries, mnuPowControlItem);
    return entries;
}

}  // namespace kestrix
