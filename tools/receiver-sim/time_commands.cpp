// Time of day, the diagnostic log and the oscillator.

#include <chrono>
#include <cmath>
#include <cstdio>

#include "receiver-sim/command_table.h"
#include "receiver-sim/scpi_error.h"
#include "receiver-sim/value_checks.h"

namespace kestrix::sim {

namespace {

Outcome zoneSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 2) return failure(error::kParameterNotAllowed);
    const auto hours = checkedInteger(parameters[0], -12, 13);
    if (hours.error != 0) return failure(hours.error);
    const auto minutes = parameters.size() == 2 ? checkedInteger(parameters[1], 0, 59) : CheckedInteger{};
    if (minutes.error != 0) return failure(minutes.error);
    state.zoneHours = hours.value;
    state.zoneMinutes = minutes.value;
    return done();
}

std::string zoneText(const ReceiverState& state) {
    return std::to_string(state.zoneHours) + "," + std::to_string(state.zoneMinutes);
}

// The time code that the next 1 PPS edge will carry: local date and time, offset, leap seconds
// and time figure of merit.
std::string timeCodeText(const ReceiverState& state) {
    const CivilTime t = civilTime(state.now() + std::chrono::seconds{1}, state.zoneOffset());
    char text[80];
    std::snprintf(text, sizeof text, "T2,%04d,%02d,%02d,%02d,%02d,%02d,%+03d:%02d,+%d,TFOM 3", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, state.zoneHours, state.zoneMinutes, state.leapSeconds);
    return text;
}

std::string dateAnswer(const ReceiverState& state) {
    const CivilTime t = state.localNow();
    return tripleText({t.year, t.month, t.day});
}

std::string timeAnswer(const ReceiverState& state) {
    const CivilTime t = state.localNow();
    return tripleText({t.hour, t.minute, t.second});
}

std::string clockStringAnswer(const ReceiverState& state) { return "\"" + clockText(state.localNow()) + "\""; }

std::string logAnswer(const ReceiverState& state) {
    std::string text = "Log status: " + std::to_string(state.diagnosticLog.size()) + " of 256 entries";
    for (const auto& entry : state.diagnosticLog) text += "\r\n" + entry;
    return text;
}

// The oscillator's control voltage as a percentage of its range, drifting slowly.
std::string efcAnswer(ReceiverState& state) {
    const double seconds = std::chrono::duration<double>(state.now().time_since_epoch()).count();
    char text[24];
    std::snprintf(text, sizeof text, "%+.3f", state.oscillator.efcPercent(seconds));
    return text;
}

}  // namespace

void addTimeCommands(std::vector<CommandEntry>& table) {
    table.push_back(queryCommand("PTIMe:TZONe?", Scope::Primary, zoneText));
    table.push_back(settingCommand("PTIMe:TZONe", Scope::Primary, zoneSetting));
    table.push_back(queryCommand("PTIMe:TCODe?", Scope::Primary, timeCodeText));
    table.push_back(queryCommand("PTIMe:DATE?", Scope::Primary, dateAnswer));
    table.push_back(queryCommand("PTIMe:TIME?", Scope::Primary, timeAnswer));
    table.push_back(queryCommand("PTIMe[:TIME]:STRing?", Scope::Primary, clockStringAnswer));
    table.push_back(queryCommand("PTIMe:LEAPsecond:ACCumulated?", Scope::Primary,
                                 [](ReceiverState& s) { return std::to_string(s.leapSeconds); }));

    table.push_back(queryCommand("DIAGnostic:LOG:READ:ALL?", Scope::Primary, logAnswer));
    table.push_back(actionCommand("DIAGnostic:LOG:CLEar", Scope::Primary, [](ReceiverState& s) {
        s.diagnosticLog.clear();
        return done();
    }));
    table.push_back(queryCommand("DIAGnostic:ROSCillator:EFC:ABSolute?", Scope::Primary, efcAnswer));
}

}  // namespace kestrix::sim
