#include "receiver-sim/receiver_state.h"

#include <array>

namespace kestrix::sim {

ReceiverState::ReceiverState(const SimOptions& options, Clock clockFunction)
    : clock(std::move(clockFunction)),
      poweredOn(clock()),
      identity(options.identity),
      serialPort(options.serialPort == 2 ? 2 : 1),
      eraseTime(options.eraseTime) {
    portInUse().line = options.line;
    portInUse().echo = options.echoAtStart;
    lastHeldPosition = position;
    timestampsClearedAt.fill(poweredOn);

    // Power-up: the receiver comes up locked, its start-up steps done, each latched as an event.
    status.raiseStandardEvents(esr_bit::kPowerOn);
    status.setCondition(StatusRegister::PowerUp, 0x7);
    status.setCondition(StatusRegister::Operation,
                        operation_bit::kLocked | operation_bit::kPositionHold | operation_bit::kSufficientSatellites);
    addLogEntry("Power on");
    addLogEntry("First satellite tracked");
    addLogEntry("Oscillator warmed up");
    addLogEntry("Locked to GPS");

    if (options.alarmOnFaults) enableAlarmOnFaults();
    setHardwareFaults(options.hardwareFaults);
}

namespace {

// The hardware status bits, as the diagnostic log names them.
constexpr std::array<const char*, 13> kHardwareFaultNames{
    "self test failure",         "+15 V out of range",          "-15 V out of range",     "5 V out of range",
    "primary oven out of range", "secondary oven out of range", "EFC within 5% of limit", "EFC at limit",
    "GPS 1PPS failure",          "GPS receiver failure",        "time interval errors",   "EEPROM failure",
    "internal reference failure"};

}  // namespace

void ReceiverState::setHardwareFaults(std::uint16_t faults) {
    faults &= kAllHardwareFaults;
    const std::uint16_t before = status.condition(StatusRegister::Hardware);
    for (std::size_t bit = 0; bit < kHardwareFaultNames.size(); ++bit) {
        const auto mask = static_cast<std::uint16_t>(1u << bit);
        if ((before & mask) == (faults & mask)) continue;
        addLogEntry(std::string((faults & mask) != 0 ? "Hardware fault: " : "Hardware fault cleared: ") +
                    kHardwareFaultNames[bit]);
    }
    status.setCondition(StatusRegister::Hardware, faults);
}

void ReceiverState::enableAlarmOnFaults() {
    status.setEnable(StatusRegister::Hardware, kAllHardwareFaults);
    status.setEnable(StatusRegister::Questionable, 0x3);
    status.setEnable(StatusRegister::Operation, operation_bit::kHardwareSummary);
    status.setServiceRequestEnable(stb_bit::kOperationSummary | stb_bit::kQuestionableSummary);
}

void ReceiverState::addLogEntry(const std::string& text) {
    const CivilTime t = utcNow();
    diagnosticLog.push_back(std::to_string(diagnosticLog.size() + 1) + ": " + dateText(t) + " " + clockText(t) +
                            " UTC  " + text);
}

}  // namespace kestrix::sim
