#pragma once

// What the monitor knows of one receiver: its link's counts and what its queries last answered,
// and the alarm state the status registers give.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/alarm_decode.h"

namespace kestrix::monitor {

// The fields of an "*idn?" reply: "Morvandelle,73408K,MDL-26-00417,R7.c".
struct Identity {
    std::string manufacturer, model, serialNumber, firmware;
    friend bool operator==(const Identity&, const Identity&) = default;
};
Identity parseIdentity(const std::string& reply);

// The condition registers in the order ConditionRegister names them.
inline constexpr std::size_t kConditionRegisters = 5;
// Their SCPI names, as labels and in the queries (":STAT:OPER:HARD:COND?").
const char* registerLabel(ConditionRegister reg);

// Bit 6 of the status byte: an enabled, latched event asks for service.
inline constexpr RegisterValue kRequestServiceBit = 1 << 6;

struct AlarmState {
    bool active = false;
    std::vector<std::string> causes;  // the alarm conditions set, then latched causes read
    friend bool operator==(const AlarmState&, const AlarmState&) = default;
};

struct ReceiverReadings {
    std::string name;
    bool up = false;  // the link is established and the receiver answers
    std::uint64_t exchanges = 0;
    std::uint64_t timeouts = 0;
    std::uint64_t errorReplies = 0;
    std::optional<double> lastReply;  // UTC seconds of the last exchange answered
    std::optional<Identity> identity;
    std::map<std::string, double> trend;  // by query as configured: the latest value (NaN: a gap)
    std::array<std::optional<RegisterValue>, kConditionRegisters> conditions{};
    std::optional<RegisterValue> statusByte;
    std::vector<std::string> latchedCauses;  // from the last alarm-cause read (only with ClearAlarms=1)
    AlarmState alarm;
    // (A gap in the trend, NaN, never equals itself: readings holding one count as changed.)
    friend bool operator==(const ReceiverReadings&, const ReceiverReadings&) = default;
};

// An alarm is raised while a fault condition is present (any bit of the hardware, holdover or
// questionable condition register) or the status byte says an enabled event has latched.
AlarmState alarmStateOf(const ReceiverReadings& readings);

// The cause lines of an alarm-cause decode ("GPS Failure+" under "HARDWARE SUMMARY:"), without
// their transition marks; the summaries' headings are not causes.
std::vector<std::string> decodedCauses(const std::string& decode);

}  // namespace kestrix::monitor
