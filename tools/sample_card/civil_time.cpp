#include "sample_card/civil_time.h"

#include <cstdio>

namespace ardelle::samplecard {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilTime CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    CivilTime t;
    t.year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    return t;
}

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

}  // namespace

int64_t ToEpochSeconds(const CivilTime& time) {
    return DaysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

CivilTime FromEpochSeconds(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    CivilTime t = CivilFromDays(days);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

CivilTime AddSeconds(const CivilTime& time, int64_t seconds) {
    return FromEpochSeconds(ToEpochSeconds(time) + seconds);
}

uint64_t ToMp4Seconds(const CivilTime& time) {
    const int64_t from1904 = DaysFromCivil(1970, 1, 1) - DaysFromCivil(1904, 1, 1);
    return static_cast<uint64_t>(ToEpochSeconds(time) - kRecorderUtcOffsetSeconds +
                                 from1904 * 86400);
}

std::string DateDigits(const CivilTime& time) {
    return TwoDigits(time.year) + TwoDigits(time.month) + TwoDigits(time.day);
}

std::string TimeDigits(const CivilTime& time) {
    return TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second);
}

std::string DateTimeDigits(const CivilTime& time) {
    return DateDigits(time) + TimeDigits(time);
}

}  // namespace ardelle::samplecard
