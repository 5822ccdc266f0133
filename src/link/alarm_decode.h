#pragma once

#include <array>
#include <string>

namespace kestrix {

// The numeric replies of the alarm-cause group, by query index 1 to 24.
using AlarmQueryValues = std::array<int, 25>;

// The value of a register reply: its leading decimal number, rounded half to even, held in 16
// signed bits (values beyond that range are clamped to it).
int registerValue(const std::string& reply);

// The digits of a register value, most significant first, `width` of them.
std::string bitPattern(int value, int width);

// The causes of an alarm, read from the status byte and the enable, event and transition-filter
// registers, as the lines that follow "Alarm Cause(s): " in the log.
std::string decodeAlarmCauses(AlarmQueryValues values);

}  // namespace kestrix
