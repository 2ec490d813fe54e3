#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "platform/local_time.h"

namespace ardelle::platform {
namespace {

// Runs a check under a given time zone and restores the previous one.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            previous_ = old;
            had_previous_ = true;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (had_previous_) {
            ::setenv("TZ", previous_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

  private:
    std::string previous_;
    bool had_previous_ = false;
};

TEST(LocalTime, RoundTripsAndNormalises) {
    const ScopedTimeZone tokyo("Asia/Tokyo");
    const auto instant = LocalFieldsToInstant(2023, 4, 15, 10, 15, 0, DaylightSaving::kNotInEffect);
    ASSERT_TRUE(instant.has_value());
    EXPECT_EQ(*instant, 1681521300);  // 2023-04-15 01:15:00 UTC
    const CalendarTime local = InstantToLocal(*instant);
    EXPECT_EQ(local, (CalendarTime{2023, 4, 6, 15, 10, 15, 0, 0}));

    // The 32nd of April is the 2nd of May.
    const auto rolled = LocalFieldsToInstant(2023, 4, 32, 0, 0, 0, DaylightSaving::kNotInEffect);
    ASSERT_TRUE(rolled.has_value());
    EXPECT_EQ(InstantToLocal(*rolled).month, 5);
    EXPECT_EQ(InstantToLocal(*rolled).day, 2);
}

TEST(LocalTime, OneSecondBeforeTheEpochIsNotAFailure) {
    const ScopedTimeZone utc("UTC");
    const auto instant =
        LocalFieldsToInstant(1969, 12, 31, 23, 59, 59, DaylightSaving::kNotInEffect);
    ASSERT_TRUE(instant.has_value());
    EXPECT_EQ(*instant, -1);
}

}  // namespace
}  // namespace ardelle::platform
