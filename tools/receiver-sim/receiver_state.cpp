#include "receiver-sim/receiver_state.h"

namespace kestrix::sim {

ReceiverState::ReceiverState(const SimOptions& options, Clock clockFunction)
    : clock(std::move(clockFunction)), poweredOn(clock()), identity(options.identity),
      serialPort(options.serialPort == 2 ? 2 : 1), eraseTime(options.eraseTime) {
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
}

void ReceiverState::addLogEntry(const std::string& text) {
    const CivilTime t = utcNow();
    diagnosticLog.push_back(std::to_string(diagnosticLog.size() + 1) + ": " + dateText(t) + " " + clockText(t) +
                            " UTC  " + text);
}

}  // namespace kestrix::sim
