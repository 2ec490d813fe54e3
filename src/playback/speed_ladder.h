#pragma once

#include <string>

#include "playback/player_types.h"

namespace ardelle::playback {

// The code and rate SetSpeed settles on.
struct SpeedChoice {
    SpeedCode code = kSpeedX1;
    float rate = 1.0f;
};

// The rate a requested code stands for. The toggle code -1 flips between x1 and x0.5 on a
// back-end that cannot play backwards and means rate -1 on one that can.
SpeedChoice ResolveSpeed(SpeedCode current, SpeedCode requested, bool can_play_backwards);

// The back-ends differ in how far down the slower direction goes.
enum class BackendKind { kMediaSession, kFilterGraph };

// The next code of the speed ladder; 1 whenever the player is not playing. A result of -1
// is resolved by ResolveSpeed (from x1 it lands on x0.5).
SpeedCode NextSpeedCode(PlayerState state, SpeedCode current, bool faster, bool can_play_backwards,
                        BackendKind backend);

// The UI text of a code's label ("再生速度x1.0" ...); empty for codes without a label.
std::string SpeedLabel(SpeedCode code);

// Rates from 2.0 up let the decoder skip work (thinning).
bool WantsThinning(float rate);

}  // namespace ardelle::playback
