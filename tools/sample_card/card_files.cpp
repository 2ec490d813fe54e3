#include "sample_card/card_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sample_card/drive_model.h"

namespace ardelle::samplecard {
namespace {

constexpr size_t kDfcSize = 512;

std::string Coordinate(double degrees, int degree_digits, int width) {
    if (degrees <= 0) {
        return std::string(static_cast<size_t>(width - 5), '0') + ".0000";
    }
    const int whole = static_cast<int>(degrees);
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%07.4f", degree_digits, whole, (degrees - whole) * 60);
    return text;
}

}  // namespace

std::vector<uint8_t> BuildDfc(const DfcFields& fields) {
    std::vector<uint8_t> bytes(kDfcSize, 0);
    const std::string magic = "DRFC0100";
    std::copy(magic.begin(), magic.end(), bytes.begin());
    auto put = [&](size_t offset, const std::string& text, size_t width) {
        std::copy_n(text.begin(), std::min(width, text.size()),
                    bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    put(48, fields.model_code, 8);
    put(56, fields.firmware, 6);
    put(62, fields.gps_data, 6);
    return bytes;
}

std::string StillTrailer(const Still& still) {
    char speed[8];
    std::snprintf(speed, sizeof speed, "%03d", std::clamp(still.speed, 0, 999));
    return TimeDigits(still.time) + Coordinate(still.latitude, 2, 9) +
           Coordinate(still.longitude, 3, 10) + speed;
}

std::string BuildVoltageTrace(const CardPlan& plan) {
    int64_t end = 0;
    for (const Recording& r : plan.recordings) {
        end = std::max(end, ToEpochSeconds(r.start) - ToEpochSeconds(plan.card_start) +
                                static_cast<int64_t>(std::ceil(r.seconds)));
    }
    std::string text = "# supply voltage log: date time, volts, state\n";
    for (int64_t at = 0; at <= end; at += 60) {
        bool parked = true;
        for (const Recording& r : plan.recordings) {
            const int64_t begin = ToEpochSeconds(r.start) - ToEpochSeconds(plan.card_start);
            if (!r.IsParking() && at >= begin - 600 && at <= begin + 600) {
                parked = false;
            }
        }
        const CivilTime t = AddSeconds(plan.card_start, at);
        const double volts = (parked ? 12.4 : 14.1) + Noise(plan.options.seed, at, 7, 7, 5) / 100.0;
        char line[80];
        std::snprintf(line, sizeof line, "%04d/%02d/%02d %02d:%02d:%02d,%.2f,%s\n", t.year, t.month,
                      t.day, t.hour, t.minute, t.second, volts, parked ? "PARK" : "DRIVE");
        text += line;
    }
    return text;
}

}  // namespace ardelle::samplecard
