#include "sample_card/drive_model.h"

#include <array>
#include <cmath>
#include <vector>

namespace ardelle::samplecard {
namespace {

constexpr double kLoopSeconds = 240.0;
constexpr double kStep = 0.01;
constexpr double kGravity = 9.80665;
constexpr double kStartLatitude = 35.68123;
constexpr double kStartLongitude = 139.76712;
constexpr double kMetresPerDegree = 111320.0;
constexpr double kPi = 3.14159265358979323846;

struct SpeedPoint {
    double at;
    double kmh;
};

constexpr std::array<SpeedPoint, 13> kSpeedProfile = {{{0, 0},
                                                       {15, 50},
                                                       {60, 55},
                                                       {75, 60},
                                                       {85, 0},
                                                       {95, 0},
                                                       {103, 45},
                                                       {140, 50},
                                                       {160, 80},
                                                       {200, 80},
                                                       {215, 30},
                                                       {232, 30},
                                                       {240, 0}}};

double SpeedAt(double u) {
    for (size_t i = 1; i < kSpeedProfile.size(); ++i) {
        const SpeedPoint& a = kSpeedProfile[i - 1];
        const SpeedPoint& b = kSpeedProfile[i];
        if (u <= b.at) {
            return a.kmh + (b.kmh - a.kmh) * (u - a.at) / (b.at - a.at);
        }
    }
    return 0;
}

// Heading change per second (radians): a right turn and later a left turn of 90 degrees,
// so every loop ends facing the way it started.
double TurnRateAt(double u) {
    if (u >= 105 && u < 113) {
        return kPi / 2 / 8;
    }
    if (u >= 215 && u < 225) {
        return -kPi / 2 / 10;
    }
    return 0;
}

struct Sample {
    double east;   // metres from the loop's start
    double north;  // metres
    double speed;  // m/s
    double forward;
    double lateral;
};

const std::vector<Sample>& LoopTable() {
    static const std::vector<Sample> table = [] {
        const auto steps = static_cast<size_t>(kLoopSeconds / kStep) + 1;
        std::vector<Sample> t(steps);
        double heading = 0.3;  // radians from north, clockwise
        double east = 0;
        double north = 0;
        for (size_t i = 0; i < steps; ++i) {
            const double u = static_cast<double>(i) * kStep;
            const double v = SpeedAt(u) / 3.6;
            const double dv = (SpeedAt(u + kStep) / 3.6 - v) / kStep;
            const double rate = TurnRateAt(u);
            t[i] = {east, north, v, dv / kGravity, v * rate / kGravity};
            heading += rate * kStep;
            east += v * std::sin(heading) * kStep;
            north += v * std::cos(heading) * kStep;
        }
        return t;
    }();
    return table;
}

}  // namespace

DriveState DriveAt(double seconds) {
    const std::vector<Sample>& table = LoopTable();
    const double loops = std::floor(seconds / kLoopSeconds);
    const double u = seconds - loops * kLoopSeconds;
    const auto index = std::min(static_cast<size_t>(u / kStep), table.size() - 1);
    const Sample& s = table[index];
    const Sample& end = table.back();
    const double east = loops * end.east + s.east;
    const double north = loops * end.north + s.north;
    DriveState state;
    state.latitude = kStartLatitude + north / kMetresPerDegree;
    state.longitude =
        kStartLongitude + east / (kMetresPerDegree * std::cos(kStartLatitude * kPi / 180));
    state.speed_kmh = s.speed * 3.6;
    state.accel_forward_g = s.forward;
    state.accel_lateral_g = s.lateral;
    return state;
}

int Noise(uint32_t seed, int64_t a, int64_t b, int64_t c, int amplitude) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ seed;
    for (const int64_t part : {a, b, c}) {
        h ^= static_cast<uint64_t>(part) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    const auto span = static_cast<uint64_t>(2 * amplitude + 1);
    return static_cast<int>(h % span) - amplitude;
}

}  // namespace ardelle::samplecard
