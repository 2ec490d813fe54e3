#pragma once

#include <cstdint>
#include <vector>

#include "sample_card/card_plan.h"

namespace ardelle::samplecard {

constexpr int kRecordSize = 130;
constexpr int kBlockOverhead = 68;  // tag, header, count and trailer
constexpr int kTrailerSize = 28;

// The telemetry block the recorder appends after the last box of a front movie.
std::vector<uint8_t> BuildTelemetryBlock(const Recording& recording, uint32_t seed);

// One 130-byte record of the block (exposed so that tests can look at single fields).
std::vector<uint8_t> BuildRecord(const Recording& recording, int index, uint32_t seed);

}  // namespace ardelle::samplecard
