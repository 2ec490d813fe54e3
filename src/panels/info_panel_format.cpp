#include "panels/info_panel_format.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "base/ui_text.h"
#include "catalogue/recording_names.h"

namespace ardelle::panels {
namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000;
constexpr double kTimeLapseFactor = 14.985;
// Beyond this a frame offset is corrupt: nothing is shown rather than a wrong date.
constexpr double kLongestOffsetUnits = 400.0 * 24 * 3600 * kUnitsPerSecond;
// The year shown for dates the recorder's clock wrapped into.
constexpr int kWrappedYears = 2050, kWrapBack = 35;
// Anything larger is no sensor reading; keeps the integer truncation defined.
constexpr double kLargestAcceleration = 99.99;

std::string Printf(const char* format, double value) {
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return buffer.data();
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const auto doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, platform::CalendarTime& t) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = z - era * 146097;
    const auto yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const auto doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const auto mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.day_of_week = static_cast<int>(((z - 719468) % 7 + 7 + 4) % 7);
}

std::string FormatCalendar(const platform::CalendarTime& t) {
    const int year = t.year >= kWrappedYears ? t.year - kWrapBack : t.year;
    std::array<char, 48> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%04d/%02d/%02d %02d:%02d:%02d", year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return buffer.data();
}

}  // namespace

void InfoPanelFields::Reset() {
    date_valid = 0;
    x = y = z = kNoAcceleration;
    gps_valid = 0;
    speed = -1.0;
    rate_text.clear();
    badge = 0;
    status = 'M';
    aux = -1;
    current_frame = -1;
    // voltage_trace stays: it belongs to the source, which is only looked at again when a
    // source is loaded, while this reset runs on every recording change.
    voltage_shown = 0;
    width_factor = 1.0f;
    picture_mode = 0;
}

std::optional<std::string> FormatAcceleration(double g) {
    if (std::isnan(g) || g <= kNoAcceleration) {
        return std::nullopt;
    }
    // Integer hundredths: a small negative value reads "0.00G", never the placeholder's text.
    const auto hundredths =
        static_cast<int>(std::clamp(g, -kLargestAcceleration, kLargestAcceleration) * 100.0);
    return Printf("%.2fG", hundredths / 100.0);
}

std::string PlaybackRateText(int speed_code) {
    switch (speed_code) {
        case 1:
            return base::UiString(57);
        case 2:
            return base::UiString(58);
        case 4:
            return base::UiString(59);
        case -2:
            return base::UiString(60);
        case -4:
            return base::UiString(61);
        default:
            return {};
    }
}

SpeedText FormatSpeed(int speed_display, int gps_valid, double speed) {
    if (speed_display == 0) {
        return {SpeedText::Kind::kOff, "OFF"};
    }
    if (gps_valid != 0 && speed >= 0.0 && speed <= 999.0) {
        return {SpeedText::Kind::kValue, Printf("%.0f ", speed)};
    }
    return {SpeedText::Kind::kPlaceholder, {}};
}

platform::CalendarTime AddHundredNanoseconds(const platform::CalendarTime& start,
                                             std::int64_t units) {
    const std::int64_t start_ms = (DaysFromCivil(start.year, start.month, start.day) * 86400 +
                                   start.hour * 3600 + start.minute * 60 + start.second) *
                                      1000 +
                                  start.millisecond;
    const std::int64_t ms = start_ms + units / 10'000;
    const std::int64_t seconds = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    const std::int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const std::int64_t in_day = seconds - days * 86400;
    platform::CalendarTime t;
    CivilFromDays(days, t);
    t.hour = static_cast<int>(in_day / 3600);
    t.minute = static_cast<int>(in_day / 60 % 60);
    t.second = static_cast<int>(in_day % 60);
    t.millisecond = static_cast<int>(ms - seconds * 1000);
    return t;
}

std::optional<std::string> FormatShownTime(const InfoPanelFields& f) {
    if (f.date_valid == 0) {
        return std::nullopt;
    }
    if (f.picture_mode != 0) {
        return f.start.year != 0 ? std::optional(FormatCalendar(f.start)) : std::nullopt;
    }
    if (f.current_frame < 0) {
        return std::nullopt;
    }
    // In double precision: single precision would put frame 300 of a 30 fps recording on
    // exactly 10 s instead of just under it.
    const double factor = f.time_lapse != 0 ? kTimeLapseFactor : 1.0;
    const double units = static_cast<double>(f.current_frame) *
                         static_cast<double>(f.frame_duration_ms) * 10000.0 * factor;
    if (!std::isfinite(units) || units < 0.0 || units > kLongestOffsetUnits) {
        return std::nullopt;
    }
    const platform::CalendarTime shown =
        AddHundredNanoseconds(f.start, static_cast<std::int64_t>(units));
    if (shown.year == 0) {
        return std::nullopt;
    }
    return FormatCalendar(shown);
}

int VoltageShownFor(int voltage_trace, int front_class, int rear_class) {
    return voltage_trace != 0 &&
           (catalogue::IsParkingClass(front_class) || catalogue::IsParkingClass(rear_class));
}

std::optional<std::string> FormatVoltage(int aux) {
    if (aux < 0) {
        return std::nullopt;
    }
    return Printf("%.1f", static_cast<double>(static_cast<float>(aux) / 10.0f));
}

int ResolutionBadge(char quality, int height) {
    struct Row {
        int h360, h720, h1080, h1296, h1440;
    };
    const Row row = quality == 'H'   ? Row{1, 3, 5, 9, 7}
                    : quality == 'L' ? Row{2, 4, 6, 10, 8}
                                     : Row{0, 11, 12, 0, 0};
    switch (height) {
        case 360:
            return row.h360;
        case 720:
            return row.h720;
        case 1080:
            return row.h1080;
        case 1296:
            return row.h1296;
        case 1440:
            return row.h1440;
        default:
            return 0;
    }
}

int ResolutionBadgeForPlayers(char quality, std::optional<int> front_height,
                              std::optional<int> rear_height) {
    if (front_height) {
        return ResolutionBadge(quality, *front_height);
    }
    return rear_height ? ResolutionBadge(0, *rear_height) : 0;
}

std::string_view BadgeLabel(int code) {
    static constexpr std::array<std::string_view, 13> kLabels = {
        "",       "360 H",  "360 L",  "720 H",  "720 L", "1080 H", "1080 L",
        "1440 H", "1440 L", "1296 H", "1296 L", "720",   "1080"};
    return code >= 0 && code <= 12 ? kLabels[static_cast<std::size_t>(code)] : "";
}

StatusIcon StatusIconFor(int status) {
    return status == 'R'   ? StatusIcon::kRecording
           : status == 'r' ? StatusIcon::kParkingRecording
                           : StatusIcon::kOther;
}

GpsIndicator GpsIndicatorFor(int gps_display, int gps_valid) {
    if (gps_display == 0) {
        return GpsIndicator::kOff;
    }
    return gps_valid != 0 ? GpsIndicator::kFix : GpsIndicator::kNothing;
}

}  // namespace ardelle::panels
