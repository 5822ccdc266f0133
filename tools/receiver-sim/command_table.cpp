#include "receiver-sim/command_table.h"

#include "receiver-sim/scpi_error.h"
#include "receiver-sim/scpi_parameters.h"

namespace kestrix::sim {

namespace {

const std::vector<CommandEntry>& commandTable() {
    static const std::vector<CommandEntry> table = [] {
        std::vector<CommandEntry> all;
        addSystemCommands(all);
        addStatusCommands(all);
        addPositioningCommands(all);
        addTimeCommands(all);
        addTimestampCommands(all);
        return all;
    }();
    return table;
}

bool available(Scope scope, const ReceiverState& state) {
    const bool primary = state.language == Language::Primary;
    switch (scope) {
        case Scope::Primary: return primary;
        case Scope::Install: return !primary;
        case Scope::Both: return true;
        case Scope::Model73408K: return primary && state.isModel73408K();
    }
    return false;
}

}  // namespace

CommandEntry queryCommand(std::string pattern, Scope scope, std::function<std::string(ReceiverState&)> answerOf) {
    return {std::move(pattern), scope,
            [answerOf = std::move(answerOf)](ReceiverState& state, const ScpiCommand& command) {
                if (!command.parameters.empty()) return failure(error::kParameterNotAllowed);
                return answer(answerOf(state));
            }};
}

CommandEntry actionCommand(std::string pattern, Scope scope, std::function<Outcome(ReceiverState&)> act) {
    return {std::move(pattern), scope, [act = std::move(act)](ReceiverState& state, const ScpiCommand& command) {
                if (!command.parameters.empty()) return failure(error::kParameterNotAllowed);
                return act(state);
            }};
}

CommandEntry settingCommand(std::string pattern, Scope scope,
                            std::function<Outcome(ReceiverState&, const std::vector<std::string>&)> set) {
    return {std::move(pattern), scope, [set = std::move(set)](ReceiverState& state, const ScpiCommand& command) {
                const auto parameters = splitParameters(command.parameters);
                if (parameters.empty()) return failure(error::kMissingParameter);
                return set(state, parameters);
            }};
}

Outcome executeCommand(ReceiverState& state, const std::string& line) {
    ScpiCommand command = splitCommand(line);
    for (const auto& entry : commandTable()) {
        if (!available(entry.scope, state) || !matchHeader(entry.pattern, command)) continue;
        return entry.handler(state, command);
    }
    return failure(error::kUndefinedHeader);
}

}  // namespace kestrix::sim
