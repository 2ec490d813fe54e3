#include "platform/local_time.h"

#include <cerrno>
#include <ctime>

namespace ardelle::platform {

std::optional<std::int64_t> LocalFieldsToInstant(int year, int month, int day, int hour, int minute,
                                                 int second, DaylightSaving dst) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = dst == DaylightSaving::kNotInEffect ? 0 : -1;
    fields.tm_wday = -1;  // mktime fills it only on success
    errno = 0;
    const std::time_t instant = std::mktime(&fields);
    // mktime answers -1 both for failure and for 1969-12-31 23:59:59 UTC; the
    // normalised fields tell the two apart.
    if (instant == static_cast<std::time_t>(-1) && fields.tm_wday < 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(instant);
}

CalendarTime InstantToLocal(std::int64_t seconds) {
    const std::time_t instant = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (localtime_r(&instant, &fields) == nullptr) {
        return CalendarTime{};
    }
    CalendarTime result;
    result.year = fields.tm_year + 1900;
    result.month = fields.tm_mon + 1;
    result.day_of_week = fields.tm_wday;
    result.day = fields.tm_mday;
    result.hour = fields.tm_hour;
    result.minute = fields.tm_min;
    result.second = fields.tm_sec;
    return result;
}

}  // namespace ardelle::platform
