#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "telemetry/byte_order.h"

namespace ardelle::telemetry {

inline constexpr std::size_t kKnownBoxTypeCount = 168;
extern const std::array<const char*, kKnownBoxTypeCount> kKnownBoxTable;

// The exact-match set of known box types; a lookup succeeds only when all four bytes
// match. Built once, read-only afterwards, so any thread may use it.
class KnownBoxTrie {
  public:
    KnownBoxTrie();
    bool Contains(std::uint32_t type) const;
    bool Contains(const std::uint8_t* four_bytes) const { return Contains(FourCC(four_bytes)); }

  private:
    std::vector<std::uint32_t> types_;  // sorted, unique
};

// The process-wide set, built on first use.
const KnownBoxTrie& KnownBoxes();

}  // namespace ardelle::telemetry
