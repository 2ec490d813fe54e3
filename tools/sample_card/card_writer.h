#pragma once

#include <string>

#include "sample_card/card_plan.h"

namespace ardelle::samplecard {

// Picture size of one camera.
struct FrameSize {
    int width = 0;
    int height = 0;
};

struct CardOptions {
    std::string out;
    FrameSize front{1280, 720};
    FrameSize rear{640, 360};
    PlanOptions plan;
    bool fast = false;  // encode one clip per camera and length, copy it for every recording
};

// Writes the whole card; throws std::runtime_error on the first failure. Every file is
// written under a temporary name and renamed when complete.
void WriteCard(const CardOptions& options);

}  // namespace ardelle::samplecard
