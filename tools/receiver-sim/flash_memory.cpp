#include "receiver-sim/flash_memory.h"

namespace kestrix::sim {

void FlashMemory::erase() {
    erased_ = true;
    stored_.clear();
    slotOf_.clear();
    received_.clear();
}

void FlashMemory::store(const SRecord& record) {
    received_.push_back(record.text);
    const auto [slot, isNew] = slotOf_.try_emplace({record.type, record.address}, stored_.size());
    if (isNew) stored_.push_back(record.text);
    else stored_[slot->second] = record.text;
}

std::vector<std::string> FlashMemory::storedRecords() const { return stored_; }

}  // namespace kestrix::sim
