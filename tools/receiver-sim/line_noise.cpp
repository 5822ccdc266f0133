#include "receiver-sim/line_noise.h"

namespace kestrix::sim {

namespace {

// A byte in 0x80..0xFE: outside ASCII, so never a line end nor a letter of a prompt.
char noiseByte(std::uint32_t seed) {
    seed ^= seed >> 15;
    seed *= 0x2C1B3C6DU;
    seed ^= seed >> 12;
    seed *= 0x297A2D39U;
    seed ^= seed >> 15;
    return static_cast<char>(0x80 + seed % 0x7F);
}

std::uint32_t mix(const LineSettings& line) {
    return static_cast<std::uint32_t>(line.baud) * 31U + static_cast<std::uint32_t>(line.parity) * 7U +
           static_cast<std::uint32_t>(line.dataBits) * 3U + static_cast<std::uint32_t>(line.stopBits);
}

}  // namespace

std::string LineGarbler::garble(std::string_view bytes, const LineSettings& sender, const LineSettings& receiver) {
    if (sender == receiver) return std::string(bytes);
    const std::uint32_t key = mix(sender) * 0x9E3779B1U ^ mix(receiver);
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out += noiseByte(key + static_cast<unsigned char>(c) * 0x01000193U + position_++ * 0x85EBCA6BU);
    return out;
}

std::string lineNoise(std::size_t count, std::uint32_t position) {
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        out += noiseByte(position * 0x27D4EB2FU + static_cast<std::uint32_t>(i) + 1U);
    return out;
}

}  // namespace kestrix::sim
