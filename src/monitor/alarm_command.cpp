#include "monitor/alarm_command.h"

namespace kestrix::monitor {

std::vector<std::pair<std::string, std::string>> alarmEnvironment(const std::string& receiver,
                                                                  const AlarmState& state) {
    std::string causes;
    for (const std::string& cause : state.causes) causes += (causes.empty() ? "" : ", ") + cause;
    return {{"KESTRIX_RECEIVER", receiver}, {"KESTRIX_ALARM", state.active ? "1" : "0"}, {"KESTRIX_CAUSES", causes}};
}

}  // namespace kestrix::monitor
