#include "receiver-sim/scpi_error.h"

#include <array>
#include <utility>

namespace kestrix::sim {

namespace {

constexpr std::array<std::pair<int, const char*>, 13> kTexts{{
    {0, "No error"},
    {-100, "Command error"},
    {error::kSyntax, "Syntax error"},
    {error::kDataType, "Data type error"},
    {error::kParameterNotAllowed, "Parameter not allowed"},
    {error::kMissingParameter, "Missing parameter"},
    {error::kUndefinedHeader, "Undefined header"},
    {error::kExecution, "Execution error"},
    {error::kSettingsConflict, "Settings conflict"},
    {error::kDataOutOfRange, "Data out of range"},
    {error::kIllegalParameterValue, "Illegal parameter value"},
    {error::kSystem, "System error"},
    {error::kQueueOverflow, "Queue overflow"},
}};

}  // namespace

std::string errorText(int code) {
    for (const auto& [number, text] : kTexts)
        if (number == code) return text;
    return "Error";
}

std::string ScpiError::reply() const { return std::to_string(code) + ",\"" + text + "\""; }

void ErrorQueue::push(int code, const std::string& detail) {
    if (queue_.size() >= kCapacity) {
        queue_.back() = {error::kQueueOverflow, errorText(error::kQueueOverflow)};
        return;
    }
    queue_.push_back({code, detail.empty() ? errorText(code) : errorText(code) + ";" + detail});
}

ScpiError ErrorQueue::pop() {
    if (queue_.empty()) return {0, errorText(0)};
    ScpiError oldest = queue_.front();
    queue_.pop_front();
    return oldest;
}

}  // namespace kestrix::sim
