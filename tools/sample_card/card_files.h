#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample_card/card_plan.h"

namespace ardelle::samplecard {

// The recorder's format-configuration file "DRFormatConfig.dfc".
std::vector<uint8_t> BuildDfc(const DfcFields& fields);

// The 28-byte trailer at the end of a still picture: time, position and speed.
std::string StillTrailer(const Still& still);

// "pvtrace.txt": the supply voltage the recorder logs once a minute.
std::string BuildVoltageTrace(const CardPlan& plan);

}  // namespace ardelle::samplecard
