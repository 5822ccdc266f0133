#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

// A register's value as the receiver replied it. Held wider than any register, so that a reply
// beyond 16 bits is kept as it came rather than wrapped or clamped.
using RegisterValue = std::int64_t;

// The numeric replies of the alarm-cause group, by query index 1 to 24.
using AlarmQueryValues = std::array<RegisterValue, 25>;

// The value of a register reply: its leading decimal number (0 when it starts with none),
// rounded half to even; numbers beyond 64 bits are held at the nearest 64-bit value.
RegisterValue registerValue(const std::string& reply);

// The digits of a register value, most significant first, `width` of them. A value that does
// not fit them (negative, or 2 to the power `width` or more) shows the digits of its low bits
// followed by its decimal value, " (= 128)", so that the digits never pass for the register.
std::string bitPattern(RegisterValue value, int width);

// The causes of an alarm, read from the status byte and the enable, event and transition-filter
// registers, as the lines that follow "Alarm Cause(s): " in the log.
std::string decodeAlarmCauses(AlarmQueryValues values);

// The register sets whose condition registers name the receiver's states.
enum class ConditionRegister { Operation, Holdover, Hardware, PowerUp, Questionable };

// The names of the bits set in a condition register's value, lowest bit first, as the alarm-cause
// decode names them: a bit beyond its table by its number, "(bit 14)"; a bit the table leaves
// unnamed (the operation register's summaries of the registers below it) not at all.
std::vector<std::string> conditionNames(ConditionRegister reg, RegisterValue value);

}  // namespace kestrix
