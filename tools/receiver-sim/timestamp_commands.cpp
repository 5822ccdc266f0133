// The timestamp inputs and the time-of-day output of model 73408K.

#include <array>
#include <cstdio>

#include "receiver-sim/command_table.h"
#include "receiver-sim/scpi_error.h"
#include "receiver-sim/scpi_parameters.h"
#include "receiver-sim/value_checks.h"

namespace kestrix::sim {

namespace {

constexpr std::size_t kInputs = 3;
constexpr long kMemoryPerInput = 64;
// Seconds between the events on each input; input 3 has nothing connected.
constexpr std::array<long, kInputs> kEventInterval{1, 10, 0};
// Where in its second each input's events fall.
constexpr std::array<long, kInputs> kEventNanoseconds{123, 500000437, 0};

// Events seen on an input since it was last cleared.
long eventsSeen(const ReceiverState& state, std::size_t input) {
    if (kEventInterval[input] == 0) return 0;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(state.now() - state.timestampsClearedAt[input]);
    return std::max<long>(0, static_cast<long>(elapsed.count()) / kEventInterval[input]);
}

long pointsHeld(const ReceiverState& state, std::size_t input) {
    return std::min(eventsSeen(state, input), kMemoryPerInput);
}

long overflowCount(const ReceiverState& state, std::size_t input) {
    return std::max<long>(0, eventsSeen(state, input) - kMemoryPerInput);
}

// The input that "TST 1" (quoted or not) names, 0-based, or nothing.
std::optional<std::size_t> inputOf(const std::string& parameter) {
    std::string text = upperCase(unquoted(parameter));
    if (text.rfind("TST", 0) != 0) return std::nullopt;
    text.erase(0, 3);
    const auto number = checkedInteger(text, 1, static_cast<int>(kInputs));
    if (number.error != 0) return std::nullopt;
    return static_cast<std::size_t>(number.value - 1);
}

std::string timestampText(const ReceiverState& state, std::size_t input, long event) {
    const auto at = state.timestampsClearedAt[input] + std::chrono::seconds{event * kEventInterval[input]};
    const CivilTime t = civilTime(std::chrono::floor<std::chrono::seconds>(at));
    char text[48];
    std::snprintf(text, sizeof text, "%04d,%02d,%02d,%02d,%02d,%02d.%09ld", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, kEventNanoseconds[input]);
    return text;
}

Outcome timestampData(ReceiverState& state, const ScpiCommand& command) {
    const auto parameters = splitParameters(command.parameters);
    if (parameters.empty()) return failure(error::kMissingParameter);
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto input = inputOf(parameters[0]);
    if (!input) return failure(error::kIllegalParameterValue);
    const long seen = eventsSeen(state, *input);
    const long held = pointsHeld(state, *input);
    const long first = state.keepFirstTimestamps ? 1 : seen - held + 1;
    std::string text;
    for (long event = first; event < first + held; ++event)
        text += (text.empty() ? "" : "\r\n") + timestampText(state, *input, event);
    return answer(text);
}

// A per-input count for "TST n", or the counts of all inputs without a parameter.
CommandEntry perInputQuery(const std::string& pattern, long (*count)(const ReceiverState&, std::size_t)) {
    return {pattern, Scope::Model73408K, [count](ReceiverState& state, const ScpiCommand& command) {
                const auto parameters = splitParameters(command.parameters);
                if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
                if (parameters.size() == 1) {
                    const auto input = inputOf(parameters[0]);
                    if (!input) return failure(error::kIllegalParameterValue);
                    return answer(std::to_string(count(state, *input)));
                }
                std::string text;
                for (std::size_t input = 0; input < kInputs; ++input)
                    text += (input == 0 ? "" : ",") + std::to_string(count(state, input));
                return answer(text);
            }};
}

Outcome clearTimestamps(ReceiverState& state, const ScpiCommand& command) {
    const auto parameters = splitParameters(command.parameters);
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    if (parameters.empty()) {
        state.timestampsClearedAt.fill(state.now());
        return done();
    }
    const auto input = inputOf(parameters[0]);
    if (!input) return failure(error::kIllegalParameterValue);
    state.timestampsClearedAt[*input] = state.now();
    return done();
}

Outcome saveSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const std::string mode = upperCase(parameters[0]);
    if (mode == "FIRS" || mode == "FIRST") state.keepFirstTimestamps = true;
    else if (mode == "LAST") state.keepFirstTimestamps = false;
    else return failure(error::kIllegalParameterValue);
    return done();
}

Outcome periodicSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto on = parseBoolean(parameters[0]);
    if (!on) return failure(error::kIllegalParameterValue);
    state.todPeriodic = *on;
    return done();
}

Outcome periodSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto period = checkedInteger(parameters[0], 1, 86400);
    if (period.error != 0) return failure(period.error);
    state.todPeriod = period.value;
    return done();
}

}  // namespace

void addTimestampCommands(std::vector<CommandEntry>& table) {
    table.push_back({"SENSe:DATA?", Scope::Model73408K, timestampData});
    table.push_back(perInputQuery("SENSe:DATA:POINts?", pointsHeld));
    table.push_back(perInputQuery("SENSe:DATA:MEMory:OVERflow:COUNt?", overflowCount));
    table.push_back({"SENSe:DATA:CLEar", Scope::Model73408K, clearTimestamps});
    table.push_back(queryCommand("SENSe:DATA:MEMory:SAVE?", Scope::Model73408K, [](ReceiverState& s) {
        return std::string(s.keepFirstTimestamps ? "FIRS" : "LAST");
    }));
    table.push_back(settingCommand("SENSe:DATA:MEMory:SAVE", Scope::Model73408K, saveSetting));

    table.push_back(queryCommand("PULSe:CONTinuous:STATe?", Scope::Model73408K,
                                 [](ReceiverState& s) { return std::string(s.todPeriodic ? "1" : "0"); }));
    table.push_back(settingCommand("PULSe:CONTinuous:STATe", Scope::Model73408K, periodicSetting));
    table.push_back(queryCommand("PULSe:CONTinuous:PERiod?", Scope::Model73408K,
                                 [](ReceiverState& s) { return std::to_string(s.todPeriod); }));
    table.push_back(settingCommand("PULSe:CONTinuous:PERiod", Scope::Model73408K, periodSetting));
    table.push_back(queryCommand("PULSe:STARt:TIME?", Scope::Model73408K,
                                 [](ReceiverState& s) { return tripleText(s.todStartTime); }));
    table.push_back(
        settingCommand("PULSe:STARt:TIME", Scope::Model73408K, [](ReceiverState& s, const std::vector<std::string>& p) {
            return readTriple(p, kTimeRanges, s.todStartTime);
        }));
    table.push_back(queryCommand("PULSe:STARt:DATE?", Scope::Model73408K,
                                 [](ReceiverState& s) { return tripleText(s.todStartDate); }));
    table.push_back(
        settingCommand("PULSe:STARt:DATE", Scope::Model73408K, [](ReceiverState& s, const std::vector<std::string>& p) {
            return readTriple(p, kDateRanges, s.todStartDate);
        }));
}

}  // namespace kestrix::sim
