#include "receiver-sim/status_system.h"

namespace kestrix::sim {

namespace {

constexpr std::uint16_t kSummaryBits =
    operation_bit::kPowerUpSummary | operation_bit::kHoldSummary | operation_bit::kHardwareSummary;

std::uint8_t standardEventOf(int code) {
    if (code <= -100 && code > -200) return esr_bit::kCommandError;
    if (code <= -200 && code > -300) return esr_bit::kExecutionError;
    if (code <= -400 && code > -500) return esr_bit::kQueryError;
    return esr_bit::kDeviceDependentError;
}

}  // namespace

void RegisterSet::changeCondition(std::uint16_t value) {
    value &= kAllBits;
    const std::uint16_t rising = static_cast<std::uint16_t>(~condition & value);
    const std::uint16_t falling = static_cast<std::uint16_t>(condition & ~value);
    event |= static_cast<std::uint16_t>((rising & positiveTransitions) | (falling & negativeTransitions));
    condition = value;
}

void StatusSystem::setCondition(StatusRegister r, std::uint16_t value) {
    if (r == StatusRegister::Operation)
        value = static_cast<std::uint16_t>((value & ~kSummaryBits) | (condition(r) & kSummaryBits));
    set(r).changeCondition(value);
    updateOperationSummaries();
}

void StatusSystem::setConditionBits(StatusRegister r, std::uint16_t bits, bool on) {
    const std::uint16_t value =
        on ? static_cast<std::uint16_t>(condition(r) | bits) : static_cast<std::uint16_t>(condition(r) & ~bits);
    setCondition(r, value);
}

std::uint16_t StatusSystem::readEvent(StatusRegister r) {
    const std::uint16_t value = set(r).event;
    set(r).event = 0;
    updateOperationSummaries();
    return value;
}

void StatusSystem::setEnable(StatusRegister r, std::uint16_t value) {
    set(r).enable = value & RegisterSet::kAllBits;
    updateOperationSummaries();
}

void StatusSystem::setPositiveTransitions(StatusRegister r, std::uint16_t value) {
    set(r).positiveTransitions = value & RegisterSet::kAllBits;
}

void StatusSystem::setNegativeTransitions(StatusRegister r, std::uint16_t value) {
    set(r).negativeTransitions = value & RegisterSet::kAllBits;
}

std::uint8_t StatusSystem::readStandardEvents() {
    const std::uint8_t value = esr_;
    esr_ = 0;
    return value;
}

std::uint8_t StatusSystem::statusByte() const {
    std::uint8_t stb = 0;
    if (!errors_.empty()) stb |= stb_bit::kErrorAvailable;
    if (set(StatusRegister::Questionable).summary()) stb |= stb_bit::kQuestionableSummary;
    if ((esr_ & ese_) != 0) stb |= stb_bit::kStandardEventSummary;
    if (set(StatusRegister::Operation).summary()) stb |= stb_bit::kOperationSummary;
    if ((stb & sre_) != 0) stb |= stb_bit::kRequestService;
    return stb;
}

void StatusSystem::pushError(int code, const std::string& detail) {
    errors_.push(code, detail);
    raiseStandardEvents(standardEventOf(code));
}

void StatusSystem::clear() {
    for (auto& s : sets_) s.event = 0;
    esr_ = 0;
    errors_.clear();
    updateOperationSummaries();
}

void StatusSystem::preset() {
    for (auto& s : sets_) {
        s.enable = 0;
        s.positiveTransitions = RegisterSet::kAllBits;
        s.negativeTransitions = 0;
    }
    updateOperationSummaries();
}

void StatusSystem::updateOperationSummaries() {
    std::uint16_t summaries = 0;
    if (set(StatusRegister::PowerUp).summary()) summaries |= operation_bit::kPowerUpSummary;
    if (set(StatusRegister::Hold).summary()) summaries |= operation_bit::kHoldSummary;
    if (set(StatusRegister::Hardware).summary()) summaries |= operation_bit::kHardwareSummary;
    RegisterSet& operation = set(StatusRegister::Operation);
    operation.changeCondition(static_cast<std::uint16_t>((operation.condition & ~kSummaryBits) | summaries));
}

}  // namespace kestrix::sim
