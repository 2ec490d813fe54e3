#pragma once

#include <cstdint>
#include <string>

#include "sample_card/card_plan.h"

namespace ardelle::samplecard {

// The three planes of one I420 picture.
struct I420Planes {
    uint8_t* y = nullptr;
    int y_stride = 0;
    uint8_t* u = nullptr;
    int u_stride = 0;
    uint8_t* v = nullptr;
    int v_stride = 0;
    int width = 0;
    int height = 0;
};

// What one picture shows besides its frame code.
struct FrameLabel {
    Camera camera = Camera::kFront;
    int index = 0;    // frame number, also drawn as the frame code
    CivilTime clock;  // date and time to show
};

// Paints a moving test picture with the frame code on top and a readable overlay below it.
void PaintFrame(const I420Planes& planes, const FrameLabel& label);

}  // namespace ardelle::samplecard
