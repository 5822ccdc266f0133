#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "receiver-sim/srecord.h"

namespace kestrix::sim {

// The receiver's program memory as the download fills it, one slot per record type and address:
// a record that arrives again (a packet sent twice) takes the place of the first.
class FlashMemory {
public:
    bool erased() const { return erased_; }
    // Erasing empties the memory and readies it for records.
    void erase();
    void store(const SRecord& record);
    // The records held, as memory holds them: the header, the data records by address, then the
    // count and start records. For a file written in address order, that is the file.
    std::vector<std::string> storedRecords() const;
    // Every record accepted, in arrival order, repeats included.
    const std::vector<std::string>& receivedRecords() const { return received_; }

private:
    bool erased_ = false;
    std::map<std::tuple<int, std::uint32_t, char>, std::string> memory_;
    std::vector<std::string> received_;
};

}  // namespace kestrix::sim
