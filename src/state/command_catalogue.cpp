#include "state/command_catalogue.h"

#include <array>

#include "shared/query_groups.h"

namespace kestrix {

namespace {

using enum CatalogueMenu;

// The kinds of rows, each with the menu, depth, focus rule and model flag its kind always has.

// A "&Control" setting: the user types the value after the command, where the caret waits.
constexpr CatalogueEntry setting(std::string_view name, std::string_view caption, std::string_view command,
                                 std::string_view help, Caret caret = Caret::AtEnd) {
    return {Control, 1, name, caption, command, help, caret, false, 0};
}

// A "&Control" setting of the 73408K's timestamp inputs and time-of-day output.
constexpr CatalogueEntry modelSetting(std::string_view name, std::string_view caption, std::string_view command,
                                      std::string_view help) {
    return {Control, 1, name, caption, command, help, Caret::AtEnd, true, 0};
}

// A "&Query" query, ready to send, with the caret at its end.
constexpr CatalogueEntry query(std::string_view name, std::string_view caption, std::string_view command,
                               std::string_view help) {
    return {Query, 1, name, caption, command, help, Caret::AtEnd, false, 0};
}

// A query of the 73408K directly in the "&Query" menu; it leaves the focus where it was.
constexpr CatalogueEntry modelQuery(std::string_view name, std::string_view caption, std::string_view command,
                                    std::string_view help) {
    return {Query, 1, name, caption, command, help, Caret::Unmoved, true, 0};
}

// A query of one timestamp input (or all of them) in a submenu of the 73408K's.
constexpr CatalogueEntry inputQuery(std::string_view name, std::string_view caption, std::string_view command,
                                    std::string_view help) {
    return {Query, 2, name, caption, command, help, Caret::Unmoved, false, 0};
}

constexpr CatalogueEntry submenu(CatalogueMenu menu, std::string_view name, std::string_view caption,
                                 bool modelSpecific = false) {
    return {menu, 1, name, caption, {}, {}, Caret::Unmoved, modelSpecific, 0};
}

constexpr CatalogueEntry separator(CatalogueMenu menu, std::string_view name, bool modelSpecific = false) {
    return {menu, 1, name, {}, {}, {}, Caret::Unmoved, modelSpecific, 0};
}

// An entry of a status-system submenu: it starts a query group.
constexpr CatalogueEntry groupItem(CatalogueMenu menu, std::string_view name, std::string_view caption, int group) {
    return {menu, 2, name, caption, {}, {}, Caret::Unmoved, false, group};
}

constexpr std::array kCatalogue{
    // "&Control"
    setting("mnuControlItem(0)", "&Antenna Delay", ":GPS:REF:ADEL  ns",
            "Enter the antenna delay value (in ns), just before the 'ns' suffix", Caret::BeforeSuffix),
    setting("mnuControlItem(1)", "Elevation Mas&k Angle", ":GPS:SAT:TRAC:EMAN ",
            "Enter the mask angle (0 to 89 in degrees)"),
    setting("mnuControlItem(2)", "Initial &Date", ":GPS:INIT:DATE ", "Enter the date (yr,mo,day)"),
    setting("mnuControlItem(3)", "&Initial Time", ":GPS:INIT:TIME ", "Enter the approximate time (hr,min,sec)"),
    setting("mnuControlItem(4)", "Initial Po&sition", ":GPS:INIT:POS ",
            "Enter approx. position (N|S,deg,min,sec, E|W,deg,min,sec, elev. in meters)"),
    setting("mnuControlItem(5)", "Position-Hold Lo&cation", ":GPS:POS",
            "Enter position hold location (use N|S,deg,min,sec, E|W,deg,min,sec, elev. in meters or SURV for "
            "current surveyed position or LAST for last held position)"),
    setting("mnuControlItem(6)", "Su&rvey", ":GPS:POS:SURV ONCE ", "Survey for location"),
    setting("mnuControlItem(7)", "Satellite I&gnore", ":GPS:SAT:TRAC:IGN ",
            "List satellites to ignore (use svid, svid, ... or :NONE or :ALL)"),
    setting("mnuControlItem(8)", "Go to Manual &Holdover", ":SYNC:HOLD:INIT ", "Initiate manual holdover"),
    setting("mnuControlItem(9)", "Reco&ver from Manual Holdover", ":SYNC:HOLD:REC:INIT ",
            "Initiate recover from manual holdover"),
    setting("mnuControlItem(10)", "S&ynchronization Immediate", ":SYNC:IMM ", "If recovering to lock, do fast sync"),
    setting("mnuControlItem(11)", "Clear Diagnos&tic Log", ":DIAG:LOG:CLE", "Clear the diagnostic log"),
    setting("mnuControlItem(12)", "Time o&ffset from UTC", ":PTIM:TZON ",
            "Use this to set time to your local time. Enter offset from UTC (use hr,min). Range is -12 to + 13 "
            "hours"),
    separator(Control, "hyph10", true),
    modelSetting("mnuPowControlItem(0)", "Clear Ti&mestamps", ":SENS:DATA:CLEAR ",
                 "Clear all timestamp data (add \"tst N\" to end of command to clear selected channel, where N = "
                 "1,2, or 3)."),
    modelSetting("mnuPowControlItem(1)", "Timestamp Capt&ure Method", ":SENS:DATA:MEM:SAVE ",
                 "Set to FIRST if you want no overwriting of timestamps when memory is full. Set to LAST if you "
                 "want new timestamps to overwrite oldest when memory is full."),
    modelSetting("mnuPowControlItem(2)", "TOD Output Periodic/O&nce", ":PULS:CONT:STAT ",
                 "Set to ON if you want TOD output to be periodic, OFF if you want only a single pulse"),
    modelSetting("mnuPowControlItem(3)", "T&OD Start Time", ":PULS:STAR:TIME ",
                 "Set the start time for the TOD output (<hour>,<minute>,<second>)."),
    modelSetting("mnuPowControlItem(4)", "TOD Start Dat&e", ":PULS:STAR:DATE ",
                 "Set the start date for the TOD output (<year>,<month>,<day>)."),
    modelSetting("mnuPowControlItem(5)", "TOD &Period", ":PULS:CONT:PER ",
                 "Set the period (in seconds) for the TOD outputs. Note that :PULS:CONS:STAT must be ON"),
    separator(Control, "hyph11"),
    submenu(Control, "mnuAlarmclr", "A&larm Clear"),
    groupItem(Control, "mnuAlarmArray(0)", "&Clear Alarm and Show Cause", kAlarmCauseGroup),

    // "&Query"
    query("mnuQueryItem(0)", "Produ&ct ID", "*IDN?", "Get receiver identification"),
    query("mnuQueryItem(1)", "Antenna dela&y", ":GPS:REF:ADEL?", "Get antenna delay"),
    query("mnuQueryItem(2)", "Elevation Mas&k Angle", ":GPS:SAT:TRAC:EMAN?", "Get elevation mask angle"),
    query("mnuQueryItem(3)", "Get &Diagnostic Log", ":DIAG:LOG:READ:ALL?", "Get diagnostic log"),
    query("mnuQueryItem(4)", "Last &Held Position", ":GPS:POS:HOLD:LAST?", "Get last held position"),
    query("mnuQueryItem(5)", "I&gnored Satellites", ":GPS:SAT:TRAC:IGN?",
          "Get list of satellites that will be ignored"),
    query("mnuQueryItem(6)", "T&imecode", ":PTIM:TCOD?", "Get timecode message for next 1 PPS edge"),
    query("mnuQueryItem(7)", "Dat&e", ":PTIM:DATE?", "Get current date"),
    query("mnuQueryItem(8)", "Ti&me", ":PTIM:TIME?", "Get current time"),
    query("mnuQueryItem(9)", "Absolute E&FC Value", ":DIAG:ROSC:EFC:ABS?", "Get absolute oscillator EFC setting"),
    query("mnuQueryItem(10)", "Time Inter&val", ":SYNC:TINT?", "Get GPS 1 PPS to Internal Osc 1 PPS interval"),
    query("mnuQueryItem(11)", "Time&zone Offset", ":PTIM:TZON?", "Get user-entered time offset from UTC"),
    query("mnuQueryItem(12)", "Po&wer-up Survey State", ":GPS:POS:SURV:STAT:POW?",
          "1 = will survey on powerup, 0 = will use last powerdown state (either survey or position hold) on "
          "powerup"),
    query("mnuQueryItem(13)", "Accumulated &Leapseconds", ":PTIM:LEAP:ACC?",
          "Get accumulated leapseconds between GPS and UTC time"),
    separator(Query, "hyph5", true),
    submenu(Query, "mnuTst", "&Timestamp Data", true),
    inputQuery("mnuTstItem(0)", "Input &1", ":SENS:DATA? \"TST 1\"", "Get timestamp data from input 1"),
    inputQuery("mnuTstItem(1)", "Input &2", ":SENS:DATA? \"TST 2\"", "Get timestamp data from input 2"),
    inputQuery("mnuTstItem(2)", "Input &3", ":SENS:DATA? \"TST 3\"", "Get timestamp data from input 3"),
    submenu(Query, "mnuSamp", "S&amples Collected", true),
    inputQuery("mnuSampItem(0)", "Input &1", ":SENS:DATA:POIN? \"TST 1\"", "Get number of data points on input 1"),
    inputQuery("mnuSampItem(1)", "Input &2", ":SENS:DATA:POIN? \"TST 2\"", "Get number of data points on input 2"),
    inputQuery("mnuSampItem(2)", "Input &3", ":SENS:DATA:POIN? \"TST 3\"", "Get number of data points on input 3"),
    inputQuery("mnuSampItem(3)", "&All Inputs", ":SENS:DATA:POIN?", "Get number of data points on all inputs"),
    submenu(Query, "mnuOverflow", "Ove&rflow Count", true),
    inputQuery("mnuOverflowItem(0)", "Input &1", ":SENS:DATA:MEM:OVER:COUN? \"TST 1\"",
               "Get overflow count from input 1"),
    inputQuery("mnuOverflowItem(1)", "Input &2", ":SENS:DATA:MEM:OVER:COUN? \"TST 2\"",
               "Get overflow count from input 2"),
    inputQuery("mnuOverflowItem(2)", "Input &3", ":SENS:DATA:MEM:OVER:COUN? \"TST 3\"",
               "Get overflow count from input 3"),
    inputQuery("mnuOverflowItem(3)", "&All Inputs", ":SENS:DATA:MEM:OVER:COUN?", "Get overflow count from all inputs"),
    modelQuery("mnuFirstorLast", "Time&stamp Capture Method", ":SENS:DATA:MEM:SAVE?",
               "If reply is FIRS, no new data after mem if full. If reply is LAST, new data replaces oldest when mem "
               "full."),
    separator(Query, "hyph6", true),
    modelQuery("mnuPulseMode", "TOD Output Periodic/O&nce", ":PULS:CONT:STAT?",
               "If reply is 1, time of day output will be periodic at selected rate.  If reply is 0, only a single "
               "pulse will be output."),
    modelQuery("mnuDailyPulse", "TOD Start Time", ":PULS:STAR:TIME?", "Get time when TOD output will begin"),
    modelQuery("mnuPulsePeriod", "T&OD Start Date", ":PULS:STAR:DATE?", "Get date when TOD output will begin"),
    modelQuery("mnuPeriodicStart", "TOD &Period", ":PULS:CONT:PER?",
               "Get period (in seconds) at which TOD outputs will be generated (:PULS:CONT:STAT must be ON).  For "
               "example, if reply is 6, outputs will occur every 6 seconds."),
    separator(Query, "hyph7"),
    submenu(Query, "mnuQueryStatus", "Stat&us System"),
    groupItem(Query, "mnuStatItem(0)", "All &Conditions", 1),
    groupItem(Query, "mnuStatItem(1)", "All E&vents", 2),
    groupItem(Query, "mnuStatItem(2)", "All E&nable Masks", 3),
    groupItem(Query, "mnuStatItem(3)", "All &Positive Transition Filters", 4),
    groupItem(Query, "mnuStatItem(4)", "All Ne&gative Transition Filters", 5),
};

}  // namespace

std::span<const CatalogueEntry> commandCatalogue() { return kCatalogue; }

char accessKey(std::string_view caption) {
    const auto at = caption.find('&');
    return at == std::string_view::npos || at + 1 >= caption.size() ? 0 : caption[at + 1];
}

}  // namespace kestrix
