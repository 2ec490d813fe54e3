#pragma once

#include <cstdint>

namespace ardelle::samplecard {

// The car's state at one moment of the card's drive.
struct DriveState {
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    double speed_kmh = 0;
    double accel_forward_g = 0;  // speeding up > 0, braking < 0
    double accel_lateral_g = 0;  // turning right > 0
};

// The drive repeats a four-minute loop through central Tokyo: pull away, cruise, brake to a
// stop, pull away hard, turn right, speed up to 80 km/h, slow down, turn left, stop.
DriveState DriveAt(double seconds);

// Deterministic noise in [-amplitude, amplitude] for one (seed, a, b, c) tuple.
int Noise(uint32_t seed, int64_t a, int64_t b, int64_t c, int amplitude);

}  // namespace ardelle::samplecard
