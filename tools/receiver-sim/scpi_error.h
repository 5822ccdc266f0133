#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace kestrix::sim {

// Standard SCPI error numbers the receiver uses.
namespace error {
inline constexpr int kSyntax = -102;
inline constexpr int kDataType = -104;
inline constexpr int kParameterNotAllowed = -108;
inline constexpr int kMissingParameter = -109;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kExecution = -200;
inline constexpr int kSettingsConflict = -221;
inline constexpr int kDataOutOfRange = -222;
inline constexpr int kIllegalParameterValue = -224;
inline constexpr int kSystem = -310;
inline constexpr int kQueueOverflow = -350;
}  // namespace error

// The standard text of an error number ("Undefined header"), or "Error" for numbers without one.
std::string errorText(int code);

// One queued error: its number and its text, with device-specific detail after a semicolon.
struct ScpiError {
    int code = 0;
    std::string text;
    // -113,"Undefined header"
    std::string reply() const;
};

// The error queue, oldest first. When full, the newest entry becomes "Queue overflow".
class ErrorQueue {
public:
    static constexpr std::size_t kCapacity = 30;
    void push(int code, const std::string& detail = {});
    // The oldest error, removed; 0,"No error" when empty.
    ScpiError pop();
    bool empty() const { return queue_.empty(); }
    std::size_t size() const { return queue_.size(); }
    void clear() { queue_.clear(); }

private:
    std::deque<ScpiError> queue_;
};

}  // namespace kestrix::sim
