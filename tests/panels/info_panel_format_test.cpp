// The info panel's formatting rules as tables: G values, speed, date and time of the shown
// frame, voltage, playback rate, badges and icons.
#include <gtest/gtest.h>

#include <limits>

#include "base/ui_text.h"
#include "panels/info_panel_format.h"

namespace ardelle::panels {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

TEST(InfoPanelFormat, Accelerations) {
    const struct {
        double g;
        std::optional<std::string> text;
    } cases[] = {
        {-0.129, "-0.12G"},   {0.004, "0.00G"},
        {-0.004, "0.00G"},  // never the placeholder text
        {1.999, "1.99G"},     {-1.5, "-1.50G"},
        {2.5, "2.50G"},       {-5.0, std::nullopt},
        {-7.0, std::nullopt}, {kNan, std::nullopt},
        {1e12, "99.99G"},     {-4.999, "-4.99G"},  // corrupt or extreme values stay printable
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatAcceleration(c.g), c.text) << c.g;
    }
}

TEST(InfoPanelFormat, Speed) {
    using K = SpeedText::Kind;
    const struct {
        int display, valid;
        double speed;
        SpeedText expected;
    } cases[] = {
        {1, 1, 59.6, {K::kValue, "60 "}},       {1, 1, 0.0, {K::kValue, "0 "}},
        {1, 1, 999.0, {K::kValue, "999 "}},     {1, 1, 999.4, {K::kPlaceholder, ""}},
        {1, 1, 32767.0, {K::kPlaceholder, ""}},  // the decoder's "no speed"
        {1, 0, 42.0, {K::kPlaceholder, ""}},     // no GPS fix
        {1, 1, -1.0, {K::kPlaceholder, ""}},    {1, 1, kNan, {K::kPlaceholder, ""}},
        {0, 1, 59.6, {K::kOff, "OFF"}},         {0, 0, 32767.0, {K::kOff, "OFF"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSpeed(c.display, c.valid, c.speed), c.expected) << c.speed;
    }
}

InfoPanelFields VideoAt(platform::CalendarTime start, std::int64_t frame, float duration,
                        int time_lapse = 0) {
    InfoPanelFields f;
    f.date_valid = 1;
    f.start = start;
    f.current_frame = frame;
    f.frame_duration_ms = duration;
    f.time_lapse = time_lapse;
    return f;
}

platform::CalendarTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    platform::CalendarTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    t.millisecond = ms;
    return t;
}

TEST(InfoPanelFormat, DateAndTimeOfTheShownFrame) {
    const auto start = At(2024, 3, 1, 10, 0, 0);
    InfoPanelFields picture;
    picture.picture_mode = 1;
    picture.date_valid = 1;
    picture.start = At(2024, 6, 8, 9, 31, 12);
    picture.current_frame = -1;
    InfoPanelFields picture_without_year = picture;
    picture_without_year.start.year = 0;
    InfoPanelFields not_valid = VideoAt(start, 300, 33.333332f);
    not_valid.date_valid = 0;
    const struct {
        const char* what;
        InfoPanelFields fields;
        std::optional<std::string> text;
    } cases[] = {
        {"just under 10 s is truncated", VideoAt(start, 300, 33.333332f), "2024/03/01 10:00:09"},
        {"time-lapse adds 149.85 s", VideoAt(start, 300, 33.333332f, 1), "2024/03/01 10:02:29"},
        {"frame 0", VideoAt(start, 0, 33.333332f), "2024/03/01 10:00:00"},
        {"into a leap day", VideoAt(At(2024, 2, 28, 23, 59, 59), 90, 33.333332f),
         "2024/02/29 00:00:01"},
        {"into a new year", VideoAt(At(2023, 12, 31, 23, 59, 59, 500), 30, 33.333332f),
         "2024/01/01 00:00:00"},
        {"a wrapped clock year", VideoAt(At(2052, 1, 2, 3, 4, 5), 0, 33.333332f),
         "2017/01/02 03:04:05"},
        {"picture mode shows the picture's own time", picture, "2024/06/08 09:31:12"},
        {"picture without a year", picture_without_year, std::nullopt},
        {"no position", VideoAt(start, -1, 33.333332f), std::nullopt},
        {"start not known", not_valid, std::nullopt},
        {"corrupt frame duration", VideoAt(start, 300, std::numeric_limits<float>::infinity()),
         std::nullopt},
        {"negative frame duration", VideoAt(start, 300, -33.0f), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatShownTime(c.fields), c.text) << c.what;
    }
    platform::CalendarTime a_year_on = At(2025, 3, 2, 10, 0, 0);
    a_year_on.day_of_week = 0;  // a Sunday
    EXPECT_EQ(AddHundredNanoseconds(At(2024, 3, 1, 10, 0, 0), 10'000'000LL * 86400 * 366),
              a_year_on);
}

TEST(InfoPanelFormat, VoltageRateStatusAndGps) {
    EXPECT_EQ(FormatVoltage(124), "12.4");
    EXPECT_EQ(FormatVoltage(0), "0.0");
    EXPECT_EQ(FormatVoltage(-1), std::nullopt);
    EXPECT_EQ(FormatVoltage(-30), std::nullopt);  // no battery reads negative
    const struct {
        int trace, front, rear, shown;
    } voltage[] = {
        {1, 4, 4, 1}, {1, 5, -1, 1}, {1, -1, 4, 1},  // parking, parking shock, rear file only
        {1, 0, 0, 0}, {1, 1, 6, 0},                  // not parking
        {0, 4, 4, 0},                                // no voltage trace on the card
    };
    for (const auto& c : voltage) {
        EXPECT_EQ(VoltageShownFor(c.trace, c.front, c.rear), c.shown)
            << c.trace << " " << c.front << " " << c.rear;
    }

    base::SetUiLanguage(0);
    const struct {
        int code;
        std::string text;
    } rates[] = {{1, "再生速度x1.0"},
                 {2, "再生速度x2.0"},
                 {4, "再生速度x4.0"},
                 {-2, "再生速度x0.5"},
                 {-4, "再生速度x0.25"},
                 {3, ""},
                 {0, ""},
                 {-1, ""}};
    for (const auto& c : rates) {
        EXPECT_EQ(PlaybackRateText(c.code), c.text) << c.code;
    }

    EXPECT_EQ(StatusIconFor('R'), StatusIcon::kRecording);
    EXPECT_EQ(StatusIconFor('r'), StatusIcon::kParkingRecording);
    EXPECT_EQ(StatusIconFor('M'), StatusIcon::kOther);
    EXPECT_EQ(StatusIconFor(0), StatusIcon::kOther);
    EXPECT_EQ(GpsIndicatorFor(1, 1), GpsIndicator::kFix);
    EXPECT_EQ(GpsIndicatorFor(1, 0), GpsIndicator::kNothing);
    EXPECT_EQ(GpsIndicatorFor(0, 1), GpsIndicator::kOff);
}

TEST(InfoPanelFormat, EveryResolutionBadge) {
    const struct {
        char quality;
        int height, badge;
    } cases[] = {
        {'H', 360, 1},  {'H', 720, 3},   {'H', 1080, 5}, {'H', 1296, 9},  {'H', 1440, 7},
        {'L', 360, 2},  {'L', 720, 4},   {'L', 1080, 6}, {'L', 1296, 10}, {'L', 1440, 8},
        {'N', 720, 11}, {'N', 1080, 12}, {'N', 360, 0},  {0, 1296, 0},    {'H', 480, 0},
        {'L', 0, 0},    {'H', -720, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolutionBadge(c.quality, c.height), c.badge) << c.quality << c.height;
    }
    EXPECT_EQ(ResolutionBadgeForPlayers('H', 720, 360), 3);
    EXPECT_EQ(ResolutionBadgeForPlayers('H', std::nullopt, 1080), 12);  // rear only: any quality
    EXPECT_EQ(ResolutionBadgeForPlayers('H', std::nullopt, 360), 0);
    EXPECT_EQ(ResolutionBadgeForPlayers('L', std::nullopt, std::nullopt), 0);
    for (int code = 1; code <= 12; ++code) {
        EXPECT_FALSE(BadgeLabel(code).empty()) << code;
    }
    EXPECT_TRUE(BadgeLabel(0).empty());
    EXPECT_TRUE(BadgeLabel(13).empty());
    EXPECT_TRUE(BadgeLabel(-1).empty());
}

TEST(InfoPanelFormat, ResetKeepsTheRecordingSwitches) {
    InfoPanelFields f = VideoAt(At(2024, 3, 1, 10, 0, 0), 300, 33.333332f, 1);
    f.x = 0.5;
    f.speed = 40;
    f.badge = 3;
    f.status = 'R';
    f.aux = 124;
    f.voltage_trace = 1;
    f.voltage_shown = 1;
    f.speed_display = 0;
    f.width_factor = 1.15f;
    f.Reset();
    EXPECT_EQ(f.date_valid, 0);
    EXPECT_EQ(f.x, -5.0);
    EXPECT_EQ(f.speed, -1.0);
    EXPECT_EQ(f.badge, 0);
    EXPECT_EQ(f.status, 'M');
    EXPECT_EQ(f.aux, -1);
    EXPECT_EQ(f.current_frame, -1);
    EXPECT_EQ(f.voltage_shown, 0);
    EXPECT_EQ(f.width_factor, 1.0f);
    EXPECT_EQ(f.speed_display, 0);  // no reset value: the header's switch stays
    // The card's voltage trace stays known, so the next parking recording shows its voltage.
    EXPECT_EQ(f.voltage_trace, 1);
    EXPECT_EQ(VoltageShownFor(f.voltage_trace, 4, 4), 1);
    EXPECT_EQ(f.time_lapse, 1);
    EXPECT_EQ(FormatShownTime(f), std::nullopt);
}

}  // namespace
}  // namespace ardelle::panels
