#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "sample_card/card_writer.h"

namespace ardelle::samplecard {

// A command line the generator cannot use; main prints the usage and exits with 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr const char* kUsage =
    "usage: ardelle-sample-card OUT [--count N] [--seconds S] [--front WxH] [--rear WxH]\n"
    "                           [--seed K] [--fast]\n"
    "  OUT         folder to fill with a recorder card (created when missing)\n"
    "  --count N   N recordings (1..100000) instead of the default set\n"
    "  --seconds S clip length in seconds (0.5..600, default 10)\n"
    "  --front WxH front camera picture size (default 1280x720)\n"
    "  --rear WxH  rear camera picture size (default 640x360)\n"
    "  --seed K    seed of the telemetry noise (default 1)\n"
    "  --fast      encode one clip per camera and copy it for every recording\n";

CardOptions ParseOptions(const std::vector<std::string>& args);

}  // namespace ardelle::samplecard
