#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "receiver-sim/receiver_state.h"
#include "receiver-sim/scpi_command.h"

namespace kestrix::sim {

// What a command line comes to: reply text (without its line end; empty for none) or an error,
// and how long the receiver works before it answers.
struct Outcome {
    std::string text;
    int error = 0;
    std::string detail;
    std::chrono::milliseconds delay{0};
};

inline Outcome done() { return {}; }
inline Outcome answer(std::string text) { return {std::move(text), 0, {}, {}}; }
inline Outcome failure(int code, std::string detail = {}) { return {{}, code, std::move(detail), {}}; }

// Where a command exists: in the normal firmware, in the boot code, in both, or in the normal
// firmware of model 73408K only.
enum class Scope { Primary, Install, Both, Model73408K };

using CommandHandler = std::function<Outcome(ReceiverState&, const ScpiCommand&)>;

struct CommandEntry {
    std::string pattern;  // see matchHeader
    Scope scope;
    CommandHandler handler;
};

// A query that takes no parameters.
CommandEntry queryCommand(std::string pattern, Scope scope, std::function<std::string(ReceiverState&)> answerOf);
// A command that takes no parameters.
CommandEntry actionCommand(std::string pattern, Scope scope, std::function<Outcome(ReceiverState&)> act);
// A command that needs at least one parameter; the handler gets them split at commas.
CommandEntry settingCommand(std::string pattern, Scope scope,
                            std::function<Outcome(ReceiverState&, const std::vector<std::string>&)> set);

// The command sets, one per kind of command.
void addSystemCommands(std::vector<CommandEntry>& table);
void addStatusCommands(std::vector<CommandEntry>& table);
void addPositioningCommands(std::vector<CommandEntry>& table);
void addTimeCommands(std::vector<CommandEntry>& table);
void addTimestampCommands(std::vector<CommandEntry>& table);

// Runs one command line (line end removed, not empty) against the receiver's state.
Outcome executeCommand(ReceiverState& state, const std::string& line);

}  // namespace kestrix::sim
