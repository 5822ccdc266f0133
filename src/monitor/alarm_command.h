#pragma once

#include <string>
#include <utility>
#include <vector>

#include "monitor/receiver_readings.h"

namespace kestrix::monitor {

// The variables OnAlarm's command finds in its environment when a receiver's alarm state
// changes: KESTRIX_RECEIVER (its name), KESTRIX_ALARM ("1" raised, "0" cleared) and
// KESTRIX_CAUSES (the named causes, separated by ", "; empty when none is named).
std::vector<std::pair<std::string, std::string>> alarmEnvironment(const std::string& receiver, const AlarmState& state);

}  // namespace kestrix::monitor
