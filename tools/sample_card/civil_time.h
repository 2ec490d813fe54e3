#pragma once

#include <cstdint>
#include <string>

namespace ardelle::samplecard {

// A wall-clock time of the recorder's clock (no zone, no daylight saving).
struct CivilTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Seconds since 1970-01-01 00:00:00 of the same clock; pure calendar arithmetic so the
// host's time zone never changes what the generator writes.
int64_t ToEpochSeconds(const CivilTime& time);
CivilTime FromEpochSeconds(int64_t seconds);
CivilTime AddSeconds(const CivilTime& time, int64_t seconds);

// The recorder's clock runs on Japan time (UTC+9); MP4 headers count seconds since
// 1904-01-01 00:00:00 UTC.
constexpr int64_t kRecorderUtcOffsetSeconds = 9 * 3600;
uint64_t ToMp4Seconds(const CivilTime& time);

// "YYMMDD", "HHMMSS" and "YYMMDDhhmmss" digit texts as the recorder writes them.
std::string DateDigits(const CivilTime& time);
std::string TimeDigits(const CivilTime& time);
std::string DateTimeDigits(const CivilTime& time);

}  // namespace ardelle::samplecard
