#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

namespace ardelle::panels {

// What the main window writes into the info panel on every position update.
struct InfoPanelFields {
    int date_valid = 0;
    platform::CalendarTime start;  // video: the recording's start; pictures: the picture's time
    double x = -5.0, y = -5.0, z = -5.0;  // G; -5.0 means no value
    int gps_valid = 0;
    double speed = -1.0;  // km/h; -1.0 means no value
    std::string rate_text;
    int badge = 0;     // 0..12, 0 shows nothing
    int status = 'M';  // the sample's status byte; pictures show 'R'
    int aux = -1;      // battery voltage in tenths of a volt; -1 none
    std::int64_t current_frame = -1;
    float frame_duration_ms = 0.0f;
    int time_lapse = 0;
    int speed_display = 1;  // header switch: zero shows "OFF"
    int gps_display = 1;    // header switch: zero shows "OFF"
    int voltage_trace = 0;  // the card's source folder holds a voltage trace
    int voltage_shown = 0;  // ... and the recording is a parking one
    float width_factor = 1.0f;
    int picture_mode = 0;

    // Back to the reset values; the header switches and the source's voltage-trace flag stay.
    void Reset();
};

inline constexpr double kNoAcceleration = -5.0;
inline constexpr std::string_view kGPlaceholderText = "-0.00G";
inline constexpr std::string_view kDatePlaceholderText = "0000/00/00 00:00:00";

// An acceleration as "%.2fG", truncated toward zero to hundredths; nothing for the no-value
// mark (or anything at or below it, or not a number): the panel shows its placeholder.
std::optional<std::string> FormatAcceleration(double g);

// The playback-rate text of a player speed code (empty for unknown codes).
std::string PlaybackRateText(int speed_code);

struct SpeedText {
    enum class Kind { kValue, kPlaceholder, kOff };
    Kind kind = Kind::kPlaceholder;
    std::string text;  // "60 " or "OFF"; empty for the placeholder
    friend bool operator==(const SpeedText&, const SpeedText&) = default;
};
SpeedText FormatSpeed(int speed_display, int gps_valid, double speed);

// The date and time of the shown frame ("YYYY/MM/DD hh:mm:ss"); nothing when unknown.
std::optional<std::string> FormatShownTime(const InfoPanelFields& fields);

// The start time plus a number of 100-ns units, as calendar fields (no time zone involved).
platform::CalendarTime AddHundredNanoseconds(const platform::CalendarTime& start,
                                             std::int64_t units);

// The voltage-shown flag: the card holds a voltage trace and the front or the rear file is a
// parking recording (trigger classes of catalogue::TriggerClassOf).
int VoltageShownFor(int voltage_trace, int front_class, int rear_class);

// The battery voltage "%.1f" of an auxiliary value in tenths; nothing for no value.
std::optional<std::string> FormatVoltage(int aux);

// The resolution badge of a recording from the front telemetry's quality character and the
// video height; when the front player has no height, the rear one's with an unknown quality.
int ResolutionBadge(char quality, int height);
int ResolutionBadgeForPlayers(char quality, std::optional<int> front_height,
                              std::optional<int> rear_height);
// The text our badge shows for a code; empty for 0 and codes above 12.
std::string_view BadgeLabel(int code);

enum class StatusIcon { kRecording, kParkingRecording, kOther };
StatusIcon StatusIconFor(int status);

enum class GpsIndicator { kFix, kNothing, kOff };
GpsIndicator GpsIndicatorFor(int gps_display, int gps_valid);

}  // namespace ardelle::panels
