#pragma once

#include <cstdint>

namespace ardelle::telemetry {

// Integers in MP4 boxes and in the telemetry block are big-endian.
inline std::uint16_t ReadBe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t ReadBe32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline std::uint64_t ReadBe64(const std::uint8_t* p) {
    return (std::uint64_t{ReadBe32(p)} << 32) | ReadBe32(p + 4);
}

// The four type bytes of a box as one number, first byte most significant.
inline std::uint32_t FourCC(const std::uint8_t* p) {
    return ReadBe32(p);
}

inline constexpr std::uint32_t FourCC(const char (&text)[5]) {
    return (std::uint32_t{static_cast<unsigned char>(text[0])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(text[1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(text[2])} << 8) |
           std::uint32_t{static_cast<unsigned char>(text[3])};
}

}  // namespace ardelle::telemetry
