// GPS positioning and tracking, and the synchronisation of the outputs to GPS.

#include <cctype>
#include <cmath>
#include <cstdio>

#include "receiver-sim/command_table.h"
#include "receiver-sim/scpi_error.h"
#include "receiver-sim/scpi_parameters.h"
#include "receiver-sim/value_checks.h"

namespace kestrix::sim {

namespace {

constexpr double kLargestAntennaDelay = 32767e-9;  // seconds
constexpr int kHighestSatellite = 32;

// A time in seconds, with an optional unit after the number: "50 ns", "50ns", "5E-8", "0.05 us".
std::optional<double> readSeconds(const std::string& text) {
    std::string number = text;
    while (!number.empty() && std::isalpha(static_cast<unsigned char>(number.back()))) number.pop_back();
    const std::string unit = upperCase(text.substr(number.size()));
    const auto value = parseNumber(number);
    if (!value) return std::nullopt;
    if (unit.empty() || unit == "S") return *value;
    if (unit == "MS") return *value * 1e-3;
    if (unit == "US") return *value * 1e-6;
    if (unit == "NS") return *value * 1e-9;
    return std::nullopt;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.3E", seconds);
    return text;
}

Outcome antennaDelaySetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto delay = readSeconds(parameters[0]);
    if (!delay) return failure(error::kDataType);
    if (std::fabs(*delay) > kLargestAntennaDelay) return failure(error::kDataOutOfRange);
    state.antennaDelay = *delay;
    return done();
}

Outcome elevationMaskSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto mask = checkedInteger(parameters[0], 0, 89);
    if (mask.error != 0) return failure(mask.error);
    state.elevationMask = mask.value;
    return done();
}

Outcome ignoreAll(ReceiverState& state) {
    for (int prn = 1; prn <= kHighestSatellite; ++prn) state.ignoredSatellites.insert(prn);
    return done();
}

Outcome ignoreNone(ReceiverState& state) {
    state.ignoredSatellites.clear();
    return done();
}

// A list of satellite numbers, or :NONE or :ALL given as a parameter.
Outcome ignoreSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    const std::string first = upperCase(parameters[0]);
    if (parameters.size() == 1 && (first == ":NONE" || first == "NONE")) return ignoreNone(state);
    if (parameters.size() == 1 && (first == ":ALL" || first == "ALL")) return ignoreAll(state);
    std::set<int> satellites;
    for (const auto& parameter : parameters) {
        const auto prn = checkedInteger(parameter, 1, kHighestSatellite);
        if (prn.error != 0) return failure(prn.error);
        satellites.insert(prn.value);
    }
    state.ignoredSatellites = satellites;
    return done();
}

std::string ignoredText(const ReceiverState& state) {
    if (state.ignoredSatellites.empty()) return "NONE";
    std::string text;
    for (int prn : state.ignoredSatellites) text += (text.empty() ? "" : ",") + std::to_string(prn);
    return text;
}

// Coordinates, or SURV (survey for the position) or LAST (go back to the last held position).
Outcome positionSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    const std::string first = upperCase(parameters[0]);
    if (parameters.size() == 1 && (first == "SURV" || first == "SURVEY")) {
        state.surveying = true;
        return done();
    }
    if (parameters.size() == 1 && first == "LAST") {
        state.position = state.lastHeldPosition;
        state.surveying = false;
        return done();
    }
    Position position;
    if (Outcome outcome = readPosition(parameters, position); outcome.error != 0) return outcome;
    state.lastHeldPosition = state.position;
    state.position = position;
    state.surveying = false;
    return done();
}

Outcome surveySetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    if (upperCase(parameters[0]) != "ONCE") return failure(error::kIllegalParameterValue);
    state.surveying = true;
    return done();
}

Outcome powerUpSurveySetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto on = parseBoolean(parameters[0]);
    if (!on) return failure(error::kIllegalParameterValue);
    state.surveyOnPowerUp = *on;
    return done();
}

void enterHoldover(ReceiverState& state, bool manual) {
    state.manualHoldover = manual;
    state.recovering = !manual;
    state.status.setConditionBits(StatusRegister::Hold, 1u << 0, manual);
    state.status.setConditionBits(StatusRegister::Hold, 1u << 2, !manual);
    state.status.setConditionBits(StatusRegister::Operation, operation_bit::kLocked, !manual);
}

// The 1 PPS time interval to the internal oscillator: about 33 ns with the oscillator's wander.
std::string timeIntervalText(ReceiverState& state) {
    const double seconds = std::chrono::duration<double>(state.now().time_since_epoch()).count();
    return secondsText(state.oscillator.timeInterval(seconds));
}

}  // namespace

void addPositioningCommands(std::vector<CommandEntry>& table) {
    table.push_back(queryCommand("GPS:REFerence:ADELay?", Scope::Primary,
                                 [](ReceiverState& s) { return secondsText(s.antennaDelay); }));
    table.push_back(settingCommand("GPS:REFerence:ADELay", Scope::Primary, antennaDelaySetting));
    table.push_back(queryCommand("GPS:SATellite:TRACking:EMANgle?", Scope::Primary,
                                 [](ReceiverState& s) { return std::to_string(s.elevationMask); }));
    table.push_back(settingCommand("GPS:SATellite:TRACking:EMANgle", Scope::Primary, elevationMaskSetting));
    table.push_back(queryCommand("GPS:SATellite:TRACking:IGNore?", Scope::Primary, ignoredText));
    table.push_back(settingCommand("GPS:SATellite:TRACking:IGNore", Scope::Primary, ignoreSetting));
    table.push_back(actionCommand("GPS:SATellite:TRACking:IGNore:NONE", Scope::Primary, ignoreNone));
    table.push_back(actionCommand("GPS:SATellite:TRACking:IGNore:ALL", Scope::Primary, ignoreAll));

    table.push_back(
        queryCommand("GPS:INITial:DATE?", Scope::Primary, [](ReceiverState& s) { return tripleText(s.initialDate); }));
    table.push_back(settingCommand(
        "GPS:INITial:DATE", Scope::Primary,
        [](ReceiverState& s, const std::vector<std::string>& p) { return readTriple(p, kDateRanges, s.initialDate); }));
    table.push_back(
        queryCommand("GPS:INITial:TIME?", Scope::Primary, [](ReceiverState& s) { return tripleText(s.initialTime); }));
    table.push_back(settingCommand(
        "GPS:INITial:TIME", Scope::Primary,
        [](ReceiverState& s, const std::vector<std::string>& p) { return readTriple(p, kTimeRanges, s.initialTime); }));
    table.push_back(queryCommand("GPS:INITial:POSition?", Scope::Primary,
                                 [](ReceiverState& s) { return positionText(s.initialPosition); }));
    table.push_back(settingCommand(
        "GPS:INITial:POSition", Scope::Primary,
        [](ReceiverState& s, const std::vector<std::string>& p) { return readPosition(p, s.initialPosition); }));

    table.push_back(
        queryCommand("GPS:POSition?", Scope::Primary, [](ReceiverState& s) { return positionText(s.position); }));
    table.push_back(settingCommand("GPS:POSition", Scope::Primary, positionSetting));
    table.push_back(queryCommand("GPS:POSition:HOLD:LAST?", Scope::Primary,
                                 [](ReceiverState& s) { return positionText(s.lastHeldPosition); }));
    table.push_back(settingCommand("GPS:POSition:SURVey", Scope::Primary, surveySetting));
    table.push_back(queryCommand("GPS:POSition:SURVey:STATe?", Scope::Primary,
                                 [](ReceiverState& s) { return std::string(s.surveying ? "1" : "0"); }));
    table.push_back(queryCommand("GPS:POSition:SURVey:STATe:POWerup?", Scope::Primary,
                                 [](ReceiverState& s) { return std::string(s.surveyOnPowerUp ? "1" : "0"); }));
    table.push_back(settingCommand("GPS:POSition:SURVey:STATe:POWerup", Scope::Primary, powerUpSurveySetting));

    table.push_back(actionCommand("SYNChronization:HOLDover:INITiate", Scope::Primary, [](ReceiverState& s) {
        enterHoldover(s, true);
        return done();
    }));
    table.push_back(actionCommand("SYNChronization:HOLDover:RECovery:INITiate", Scope::Primary, [](ReceiverState& s) {
        if (!s.manualHoldover) return failure(error::kSettingsConflict, "not in manual holdover");
        enterHoldover(s, false);
        return done();
    }));
    table.push_back(actionCommand("SYNChronization:IMMediate", Scope::Primary, [](ReceiverState& s) {
        if (s.recovering) {
            s.recovering = false;
            s.status.setConditionBits(StatusRegister::Hold, 1u << 2, false);
        }
        return done();
    }));
    table.push_back(queryCommand("SYNChronization:TINTerval?", Scope::Primary, timeIntervalText));
}

}  // namespace kestrix::sim
