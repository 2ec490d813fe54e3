#pragma once

#include <array>
#include <cstdint>

#include "platform/local_time.h"

namespace ardelle::telemetry {

// Marks for "no position" and "no speed" in decoded samples.
inline constexpr double kMissingCoordinate = 720.0;
inline constexpr double kMissingSpeed = 32767.0;

// The shortest frame interval a recording may have; shorter ones come from corrupt tables.
inline constexpr float kShortestFrameIntervalMs = 1.0f;

// Record periods: 10 records per second, 15 for time-lapse recordings.
inline constexpr float kMsPerRecordNormal = 100.0f;
inline constexpr float kMsPerRecordTimeLapse = 66.666664f;

// One GPS fix of the telemetry. Links are indices into the other lists (-1: none).
struct GpsSample {
    std::int32_t index = 0;
    std::int32_t time = 0;  // milliseconds from the start; the video frame index once bound
    std::int32_t valid = 0;
    std::int32_t sensor_link = -1;
    std::int32_t vehicle_link = -1;
    double latitude = kMissingCoordinate;
    double longitude = kMissingCoordinate;
    double speed = kMissingSpeed;
    double reserved = 0.0;
    platform::CalendarTime local_time;
};

// One acceleration-sensor sample with its event fields.
struct SensorSample {
    std::int32_t index = 0;
    std::int32_t event_kind = -1;  // -1 none, 5, 6, 7, 11, 12, 13
    std::int32_t secondary = 0;    // 8: speeding
    std::int32_t tertiary = 0;     // 10: vehicle approaching from behind
    std::int32_t shock_axis = 0;   // 0 none, 1 X, 2 Y, 3 Z
    std::int32_t time = 0;         // milliseconds; the video frame index once bound
    std::int32_t status = 0;       // record byte 128
    std::int32_t aux = 0;          // battery voltage in tenths of a volt on parking recordings
    std::int32_t gps_link = -1;
    std::int32_t vehicle_link = -1;
    double x = 0.0;  // front-back, G
    double y = 0.0;  // left-right, G
    double z = 0.0;  // up-down, G
    std::int32_t high_nibble = 0;
    std::int32_t low_nibble = 0;
};

// The raw vehicle data of one record, carried unchanged.
struct VehicleSample {
    std::int32_t index = 0;
    std::array<std::uint8_t, 4> status{};
    std::array<std::uint8_t, 36> data{};  // eighteen 16-bit words, most significant byte first
};

// The decoded block header.
struct RecordingHeaderInfo {
    std::array<float, 4> values{-1.0f, -1.0f, -1.0f, -1.0f};
    char mode = 0;
    std::array<std::uint8_t, 6> settings{};
    char quality = 0;  // 'H' high, 'L' low picture quality
    char setting24 = 0;
    char rate = 'N';  // 'T' time-lapse, 'N' normal
    char reserved = 0;
    char setting25 = 0;
    char speed_display = 0;  // zero: speed shown as "OFF"
    char gps_display = 0;    // zero: GPS state "OFF" and no map

    friend bool operator==(const RecordingHeaderInfo&, const RecordingHeaderInfo&) = default;
};

// How graph and map classify a sensor sample.
enum class MarkKind : int {
    kSuddenAcceleration = 0,
    kSuddenBraking = 1,  // named, never produced
    kSuddenSteering = 2,
    kSuddenDrop = 3,
    kSuddenRise = 4,  // named, never produced
    kManual = 5,
    kEmergencyStop = 6,
    kParkingWatch = 7,
    kSpeeding = 8,
    kSpeedCamera = 9,
    kApproach = 10,
    kSupportSteering = 11,
    kSupportAcceleration = 12,
    kSupportBraking = 13,
};

}  // namespace ardelle::telemetry
