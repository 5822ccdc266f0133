// The SCPI status registers: condition, event, enable and transition filters of each set.

#include <array>
#include <utility>

#include "receiver-sim/command_table.h"
#include "receiver-sim/scpi_error.h"
#include "receiver-sim/scpi_parameters.h"

namespace kestrix::sim {

namespace {

constexpr std::array<std::pair<StatusRegister, const char*>, 5> kRegisterPaths{{
    {StatusRegister::Operation, "STATus:OPERation"},
    {StatusRegister::Hold, "STATus:OPERation:HOLDover"},
    {StatusRegister::Hardware, "STATus:OPERation:HARDware"},
    {StatusRegister::PowerUp, "STATus:OPERation:POWerup"},
    {StatusRegister::Questionable, "STATus:QUEStionable"},
}};

using RegisterSetter = void (StatusSystem::*)(StatusRegister, std::uint16_t);
using RegisterGetter = std::uint16_t (StatusSystem::*)(StatusRegister) const;

struct MaskRegister {
    const char* node;
    RegisterGetter get;
    RegisterSetter set;
};

constexpr std::array<MaskRegister, 3> kMaskRegisters{{
    {":ENABle", &StatusSystem::enable, &StatusSystem::setEnable},
    {":PTRansition", &StatusSystem::positiveTransitions, &StatusSystem::setPositiveTransitions},
    {":NTRansition", &StatusSystem::negativeTransitions, &StatusSystem::setNegativeTransitions},
}};

Outcome setRegister(StatusSystem& status, StatusRegister r, RegisterSetter set,
                    const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto value = parseInteger(parameters[0]);
    if (!value) return failure(error::kDataType);
    if (*value < 0 || *value > RegisterSet::kAllBits) return failure(error::kDataOutOfRange);
    (status.*set)(r, static_cast<std::uint16_t>(*value));
    return done();
}

}  // namespace

void addStatusCommands(std::vector<CommandEntry>& table) {
    for (const auto& [r, path] : kRegisterPaths) {
        const std::string prefix = path;
        const StatusRegister reg = r;
        table.push_back(queryCommand(prefix + "[:EVENt]?", Scope::Primary,
                                     [reg](ReceiverState& s) { return std::to_string(s.status.readEvent(reg)); }));
        table.push_back(queryCommand(prefix + ":CONDition?", Scope::Primary,
                                     [reg](ReceiverState& s) { return std::to_string(s.status.condition(reg)); }));
        for (const auto& mask : kMaskRegisters) {
            const RegisterGetter get = mask.get;
            const RegisterSetter set = mask.set;
            table.push_back(queryCommand(prefix + mask.node + "?", Scope::Primary, [reg, get](ReceiverState& s) {
                return std::to_string((s.status.*get)(reg));
            }));
            table.push_back(settingCommand(prefix + mask.node, Scope::Primary,
                                           [reg, set](ReceiverState& s, const std::vector<std::string>& p) {
                                               return setRegister(s.status, reg, set, p);
                                           }));
        }
    }
    table.push_back(actionCommand("STATus:PRESet", Scope::Primary, [](ReceiverState& s) {
        s.status.preset();
        return done();
    }));
}

}  // namespace kestrix::sim
