// Identification, the common IEEE 488.2 commands, the error queue, the serial ports, the command
// language and the firmware download.

#include <array>
#include <variant>

#include "receiver-sim/command_table.h"
#include "receiver-sim/scpi_error.h"
#include "receiver-sim/scpi_parameters.h"
#include "receiver-sim/srecord.h"
#include "receiver-sim/status_screen.h"

namespace kestrix::sim {

namespace {

constexpr std::array kPortBauds{1200, 2400, 4800, 9600, 19200, 38400};

// A serial-port command names port 1 or 2 by its suffix; no other port exists.
bool knownPort(const ScpiCommand& command) {
    return command.suffixes.empty() || command.suffixes.front() == 1 || command.suffixes.front() == 2;
}

int portOf(const ScpiCommand& command) { return command.suffixes.empty() ? 1 : command.suffixes.front(); }

Outcome echoQuery(ReceiverState& state, const ScpiCommand& command) {
    if (!knownPort(command)) return failure(error::kUndefinedHeader);
    if (!command.parameters.empty()) return failure(error::kParameterNotAllowed);
    return answer(state.port(portOf(command)).echo ? "1" : "0");
}

Outcome echoSetting(ReceiverState& state, const ScpiCommand& command) {
    if (!knownPort(command)) return failure(error::kUndefinedHeader);
    const auto parameters = splitParameters(command.parameters);
    if (parameters.empty()) return failure(error::kMissingParameter);
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto on = parseBoolean(parameters[0]);
    if (!on) return failure(error::kIllegalParameterValue);
    state.port(portOf(command)).echo = *on;
    return done();
}

Outcome baudQuery(ReceiverState& state, const ScpiCommand& command) {
    if (!knownPort(command)) return failure(error::kUndefinedHeader);
    if (!command.parameters.empty()) return failure(error::kParameterNotAllowed);
    return answer(std::to_string(state.port(portOf(command)).line.baud));
}

// The receiver takes the new speed once the prompt of this command has gone out at the old one.
Outcome baudSetting(ReceiverState& state, const ScpiCommand& command) {
    if (!knownPort(command)) return failure(error::kUndefinedHeader);
    const auto parameters = splitParameters(command.parameters);
    if (parameters.empty()) return failure(error::kMissingParameter);
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto baud = parseInteger(parameters[0]);
    if (!baud) return failure(error::kDataType);
    bool supported = false;
    for (int b : kPortBauds) supported = supported || b == *baud;
    if (!supported) return failure(error::kDataOutOfRange);
    state.port(portOf(command)).line.baud = static_cast<int>(*baud);
    return done();
}

Outcome languageSetting(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const std::string name = upperCase(unquoted(parameters[0]));
    if (name == "INSTALL") state.language = Language::Install;
    else if (name == "PRIMARY") state.language = Language::Primary;
    else return failure(error::kIllegalParameterValue);
    return done();
}

Outcome eraseFlash(ReceiverState& state) {
    state.flash.erase();
    Outcome outcome = done();
    outcome.delay = state.eraseTime;
    return outcome;
}

Outcome downloadRecord(ReceiverState& state, const std::vector<std::string>& parameters) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto text = parseQuoted(parameters[0]);
    if (!text) return failure(error::kDataType);
    if (!state.flash.erased()) return failure(error::kSettingsConflict, "flash not erased");
    const auto checked = checkSRecord(*text);
    if (const auto* fault = std::get_if<SRecordFault>(&checked))
        return failure(error::kIllegalParameterValue, describe(*fault));
    state.flash.store(std::get<SRecord>(checked));
    return done();
}

Outcome registerByteSetting(const std::vector<std::string>& parameters, const std::function<void(std::uint8_t)>& set) {
    if (parameters.size() > 1) return failure(error::kParameterNotAllowed);
    const auto value = parseInteger(parameters[0]);
    if (!value) return failure(error::kDataType);
    if (*value < 0 || *value > 255) return failure(error::kDataOutOfRange);
    set(static_cast<std::uint8_t>(*value));
    return done();
}

}  // namespace

void addSystemCommands(std::vector<CommandEntry>& table) {
    table.push_back(queryCommand("*IDN?", Scope::Both, [](ReceiverState& s) {
        return s.identity.manufacturer + "," + s.identity.model + "," + s.identity.serialNumber + "," +
               s.identity.firmware;
    }));
    table.push_back(actionCommand("*CLS", Scope::Both, [](ReceiverState& s) {
        s.status.clear();
        return done();
    }));
    table.push_back(queryCommand("*ESR?", Scope::Both,
                                 [](ReceiverState& s) { return std::to_string(s.status.readStandardEvents()); }));
    table.push_back(queryCommand("*ESE?", Scope::Both,
                                 [](ReceiverState& s) { return std::to_string(s.status.standardEventEnable()); }));
    table.push_back(settingCommand("*ESE", Scope::Both, [](ReceiverState& s, const std::vector<std::string>& p) {
        return registerByteSetting(p, [&s](std::uint8_t v) { s.status.setStandardEventEnable(v); });
    }));
    table.push_back(queryCommand("*SRE?", Scope::Both,
                                 [](ReceiverState& s) { return std::to_string(s.status.serviceRequestEnable()); }));
    table.push_back(settingCommand("*SRE", Scope::Both, [](ReceiverState& s, const std::vector<std::string>& p) {
        return registerByteSetting(p, [&s](std::uint8_t v) { s.status.setServiceRequestEnable(v); });
    }));
    table.push_back(
        queryCommand("*STB?", Scope::Both, [](ReceiverState& s) { return std::to_string(s.status.statusByte()); }));
    table.push_back(queryCommand("*OPC?", Scope::Both, [](ReceiverState&) { return std::string("1"); }));
    table.push_back(actionCommand("*OPC", Scope::Both, [](ReceiverState& s) {
        s.status.raiseStandardEvents(esr_bit::kOperationComplete);
        return done();
    }));

    table.push_back(queryCommand("SYSTem:ERRor[:NEXT]?", Scope::Both,
                                 [](ReceiverState& s) { return s.status.errors().pop().reply(); }));
    table.push_back(queryCommand("SYSTem:COMMunicate?", Scope::Both,
                                 [](ReceiverState& s) { return std::to_string(s.serialPort); }));
    table.push_back({"SYSTem:COMMunicate:SERial#:FDUPlex?", Scope::Both, echoQuery});
    table.push_back({"SYSTem:COMMunicate:SERial#:FDUPlex", Scope::Both, echoSetting});
    table.push_back({"SYSTem:COMMunicate:SERial#:BAUD?", Scope::Both, baudQuery});
    table.push_back({"SYSTem:COMMunicate:SERial#:BAUD", Scope::Both, baudSetting});
    table.push_back(queryCommand("SYSTem:LANGuage?", Scope::Both, [](ReceiverState& s) {
        return std::string(s.language == Language::Primary ? "\"PRIMARY\"" : "\"INSTALL\"");
    }));
    table.push_back(settingCommand("SYSTem:LANGuage", Scope::Both, languageSetting));
    table.push_back(queryCommand("SYSTem:PRINt?", Scope::Primary, statusScreen));

    table.push_back(actionCommand("DIAGnostic:ERASe", Scope::Install, eraseFlash));
    table.push_back(settingCommand("DIAGnostic:DOWNload", Scope::Install, downloadRecord));
}

}  // namespace kestrix::sim
