#include "receiver-sim/flash_memory.h"

namespace kestrix::sim {

namespace {

// Where a record type sits in memory order: header, data, counts, start address.
int sectionOf(char type) {
    switch (type) {
        case '0': return 0;
        case '1':
        case '2':
        case '3': return 1;
        case '5':
        case '6': return 2;
        default: return 3;
    }
}

}  // namespace

void FlashMemory::erase() {
    erased_ = true;
    memory_.clear();
    received_.clear();
}

void FlashMemory::store(const SRecord& record) {
    received_.push_back(record.text);
    memory_[{sectionOf(record.type), record.address, record.type}] = record.text;
}

std::vector<std::string> FlashMemory::storedRecords() const {
    std::vector<std::string> records;
    records.reserve(memory_.size());
    for (const auto& [slot, text] : memory_) records.push_back(text);
    return records;
}

}  // namespace kestrix::sim
