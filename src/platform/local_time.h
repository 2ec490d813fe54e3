#pragma once

#include <cstdint>
#include <optional>

namespace ardelle::platform {

// A calendar date-time in the computer's local time (the fields of a SYSTEMTIME-like record).
struct CalendarTime {
    int year = 1970;
    int month = 1;        // 1..12
    int day_of_week = 4;  // 0 Sunday .. 6 Saturday
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// How daylight saving time is treated when local fields are turned into an instant.
enum class DaylightSaving { kAsTheSystemDecides, kNotInEffect };

// Local fields -> seconds since 1970 UTC through mktime, which normalises
// out-of-range fields (the 32nd of a month rolls over). Nothing when mktime fails.
std::optional<std::int64_t> LocalFieldsToInstant(int year, int month, int day, int hour, int minute,
                                                 int second, DaylightSaving dst);

// Seconds since 1970 UTC -> local calendar time (localtime_r); 1970-01-01 00:00:00
// when the instant cannot be represented.
CalendarTime InstantToLocal(std::int64_t seconds);

}  // namespace ardelle::platform
