#include "monitor/receiver_readings.h"

#include <algorithm>

namespace kestrix::monitor {

Identity parseIdentity(const std::string& reply) {
    std::array<std::string, 4> fields;
    std::size_t field = 0;
    for (char c : reply) {
        if (c == ',' && field < fields.size() - 1) ++field;
        else if (c != '\r' && c != '\n') fields[field] += c;
    }
    return {fields[0], fields[1], fields[2], fields[3]};
}

const char* registerLabel(ConditionRegister reg) {
    static constexpr const char* kLabels[kConditionRegisters] = {"OPER", "OPER:HOLD", "OPER:HARD", "OPER:POW", "QUES"};
    return kLabels[static_cast<std::size_t>(reg)];
}

AlarmState alarmStateOf(const ReceiverReadings& r) {
    AlarmState state;
    for (ConditionRegister reg :
         {ConditionRegister::Hardware, ConditionRegister::Holdover, ConditionRegister::Questionable}) {
        const auto& value = r.conditions[static_cast<std::size_t>(reg)];
        if (!value || *value == 0) continue;
        state.active = true;
        for (std::string& name : conditionNames(reg, *value)) state.causes.push_back(std::move(name));
    }
    if (r.statusByte && *r.statusByte >= 0 && (*r.statusByte & kRequestServiceBit) != 0) state.active = true;
    for (const std::string& cause : r.latchedCauses) {
        state.active = true;
        if (std::find(state.causes.begin(), state.causes.end(), cause) == state.causes.end())
            state.causes.push_back(cause);
    }
    return state;
}

std::vector<std::string> decodedCauses(const std::string& decode) {
    std::vector<std::string> causes;
    std::size_t at = 0;
    while (at <= decode.size()) {
        std::size_t end = decode.find("\r\n", at);
        if (end == std::string::npos) end = decode.size();
        std::string line = decode.substr(at, end - at);
        at = end + 2;
        const auto first = line.find_first_not_of(' ');
        if (first == std::string::npos || first == 0) continue;  // a heading starts the line, a cause is indented
        line.erase(0, first);
        if (line.ends_with("SUMMARY:")) continue;
        while (!line.empty() && (line.back() == '+' || line.back() == '-')) line.pop_back();
        if (!line.empty()) causes.push_back(line);
    }
    return causes;
}

}  // namespace kestrix::monitor
