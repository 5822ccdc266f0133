#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "receiver-sim/line_settings.h"

namespace kestrix::sim {

// What a receiving end makes of characters sent at other speed or framing: every character comes
// out as a different byte, never a line end nor printable text, so no command or prompt can
// survive. Deterministic: the same bytes at the same position on the same pair of settings
// always garble the same way. `position` counts the characters garbled so far in that direction
// and is advanced.
class LineGarbler {
public:
    std::string garble(std::string_view bytes, const LineSettings& sender, const LineSettings& receiver);

private:
    std::uint32_t position_ = 0;
};

// Bytes that a noisy line adds: deterministic for a given position, and none of them is a line
// end, a printable character or part of a prompt.
std::string lineNoise(std::size_t count, std::uint32_t position);

}  // namespace kestrix::sim
