#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "receiver-sim/srecord.h"

namespace kestrix::sim {

// The receiver's program memory as the download fills it. A record that arrives again for the
// same type and address (a packet sent twice) takes the place of the first, so the stored
// records are the file's records in file order however often a packet was re-sent.
class FlashMemory {
public:
    bool erased() const { return erased_; }
    // Erasing empties the memory and readies it for records.
    void erase();
    void store(const SRecord& record);
    // The records held, in the order they first arrived.
    std::vector<std::string> storedRecords() const;
    // Every record accepted, in arrival order, repeats included.
    const std::vector<std::string>& receivedRecords() const { return received_; }

private:
    bool erased_ = false;
    std::vector<std::string> stored_;
    std::map<std::pair<char, std::uint32_t>, std::size_t> slotOf_;
    std::vector<std::string> received_;
};

}  // namespace kestrix::sim
