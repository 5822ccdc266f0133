#pragma once

#include <array>
#include <cstdint>

#include "receiver-sim/scpi_error.h"

namespace kestrix::sim {

// The five SCPI register sets of the receiver.
enum class StatusRegister { Operation, Hold, Hardware, PowerUp, Questionable };
inline constexpr std::array kAllStatusRegisters{StatusRegister::Operation, StatusRegister::Hold,
                                                StatusRegister::Hardware, StatusRegister::PowerUp,
                                                StatusRegister::Questionable};

// Bits of the operation condition register that summarise its sub-registers.
namespace operation_bit {
inline constexpr std::uint16_t kPowerUpSummary = 1u << 0;
inline constexpr std::uint16_t kLocked = 1u << 1;
inline constexpr std::uint16_t kHoldSummary = 1u << 2;
inline constexpr std::uint16_t kPositionHold = 1u << 3;
inline constexpr std::uint16_t kSufficientSatellites = 1u << 4;
inline constexpr std::uint16_t kHardwareSummary = 1u << 5;
}  // namespace operation_bit

// Every named bit of the hardware register: 0 self test to 12 internal reference.
inline constexpr std::uint16_t kAllHardwareFaults = 0x1FFF;

// Bits of the standard event status register.
namespace esr_bit {
inline constexpr std::uint8_t kOperationComplete = 1u << 0;
inline constexpr std::uint8_t kQueryError = 1u << 2;
inline constexpr std::uint8_t kDeviceDependentError = 1u << 3;
inline constexpr std::uint8_t kExecutionError = 1u << 4;
inline constexpr std::uint8_t kCommandError = 1u << 5;
inline constexpr std::uint8_t kPowerOn = 1u << 7;
}  // namespace esr_bit

// Bits of the status byte.
namespace stb_bit {
inline constexpr std::uint8_t kErrorAvailable = 1u << 2;
inline constexpr std::uint8_t kQuestionableSummary = 1u << 3;
inline constexpr std::uint8_t kStandardEventSummary = 1u << 5;
inline constexpr std::uint8_t kRequestService = 1u << 6;
inline constexpr std::uint8_t kOperationSummary = 1u << 7;
}  // namespace stb_bit

// One register set: a condition register whose changes latch event bits through the positive-
// and negative-transition filters, and an enable mask over the events.
struct RegisterSet {
    static constexpr std::uint16_t kAllBits = 0x7FFF;
    std::uint16_t condition = 0;
    std::uint16_t event = 0;
    std::uint16_t enable = 0;
    std::uint16_t positiveTransitions = kAllBits;
    std::uint16_t negativeTransitions = 0;

    void changeCondition(std::uint16_t value);
    bool summary() const { return (event & enable) != 0; }
};

// The receiver's status system as IEEE 488.2 and SCPI describe it: the register sets, the
// standard event status register with its enable mask, the service request enable mask, the error
// queue, and the status byte computed from them. Every change goes through these members so the
// operation register's summary bits (power-up 0, hold 2, hardware 5) follow their sub-registers.
class StatusSystem {
public:
    std::uint16_t condition(StatusRegister r) const { return set(r).condition; }
    std::uint16_t event(StatusRegister r) const { return set(r).event; }
    std::uint16_t enable(StatusRegister r) const { return set(r).enable; }
    std::uint16_t positiveTransitions(StatusRegister r) const { return set(r).positiveTransitions; }
    std::uint16_t negativeTransitions(StatusRegister r) const { return set(r).negativeTransitions; }

    void setCondition(StatusRegister r, std::uint16_t value);
    void setConditionBits(StatusRegister r, std::uint16_t bits, bool on);
    // Reading an event register clears it.
    std::uint16_t readEvent(StatusRegister r);
    void setEnable(StatusRegister r, std::uint16_t value);
    void setPositiveTransitions(StatusRegister r, std::uint16_t value);
    void setNegativeTransitions(StatusRegister r, std::uint16_t value);

    std::uint8_t standardEvents() const { return esr_; }
    std::uint8_t readStandardEvents();  // "*ESR?" clears it
    void raiseStandardEvents(std::uint8_t bits) { esr_ |= bits; }
    std::uint8_t standardEventEnable() const { return ese_; }
    void setStandardEventEnable(std::uint8_t value) { ese_ = value; }
    std::uint8_t serviceRequestEnable() const { return sre_; }
    void setServiceRequestEnable(std::uint8_t value) {
        sre_ = value & static_cast<std::uint8_t>(~stb_bit::kRequestService);
    }
    std::uint8_t statusByte() const;

    // Queues an error and sets the standard event bit of its class.
    void pushError(int code, const std::string& detail = {});
    ErrorQueue& errors() { return errors_; }
    const ErrorQueue& errors() const { return errors_; }

    // "*CLS": every event register, the standard event register and the error queue are cleared.
    void clear();
    // ":STAT:PRES": enables cleared, positive filters all set, negative filters cleared.
    void preset();

private:
    RegisterSet& set(StatusRegister r) { return sets_[static_cast<std::size_t>(r)]; }
    const RegisterSet& set(StatusRegister r) const { return sets_[static_cast<std::size_t>(r)]; }
    void updateOperationSummaries();

    std::array<RegisterSet, 5> sets_{};
    std::uint8_t esr_ = 0;
    std::uint8_t ese_ = 0;
    std::uint8_t sre_ = 0;
    ErrorQueue errors_;
};

}  // namespace kestrix::sim
