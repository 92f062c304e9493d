#include "platform/time/Calendar.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

using namespace platform::time;

namespace
{
auto Fields(const sCalendar& c)
{
    return std::tuple(c.year, c.month, c.day, c.hour, c.minute, c.second);
}
} // namespace

// Korea has no daylight saving; central Europe switches on the last Sundays of March and October.
TEST(Calendar, LocalAndUtcConversionsFollowTheZone)
{
    struct
    {
        const char* zone;
        std::time_t t;
        long offset;
        std::tuple<int, int, int, int, int, int> local;
    } cases[] = {
        {"KST-9", 0, 9 * 3600, {1970, 1, 1, 9, 0, 0}},
        {"KST-9", 1700000000, 9 * 3600, {2023, 11, 15, 7, 13, 20}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1700000000, 3600, {2023, 11, 14, 23, 13, 20}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1688212800, 7200, {2023, 7, 1, 14, 0, 0}},
        {"EST5EDT,M3.2.0,M11.1.0", 1700000000, -5 * 3600, {2023, 11, 14, 17, 13, 20}},
    };
    for (const auto& c : cases)
    {
        testsupport::ScopedTimeZone zone(c.zone);
        sCalendar local;
        ASSERT_TRUE(LocalCalendar(c.t, local)) << c.zone;
        EXPECT_EQ(Fields(local), c.local) << c.zone << " " << c.t;
        EXPECT_EQ(LocalOffsetSeconds(c.t), c.offset) << c.zone << " " << c.t;
        std::time_t back = 0;
        ASSERT_TRUE(LocalCalendarToTime(local, back)) << c.zone;
        EXPECT_EQ(back, c.t) << c.zone;

        sCalendar utc;
        ASSERT_TRUE(UtcCalendar(c.t, utc));
        ASSERT_TRUE(UtcCalendarToTime(utc, back));
        EXPECT_EQ(back, c.t) << "UTC does not depend on the zone: " << c.zone;
    }
}

TEST(Calendar, UtcFieldsWeekdayAndLimits)
{
    sCalendar c;
    ASSERT_TRUE(UtcCalendar(1700000000, c));
    EXPECT_EQ(Fields(c), std::tuple(2023, 11, 14, 22, 13, 20));
    EXPECT_EQ(c.dayOfWeek, 2) << "a Tuesday";
    ASSERT_TRUE(UtcCalendar(-11644473600LL, c)) << "the file-time epoch";
    EXPECT_EQ(Fields(c), std::tuple(1601, 1, 1, 0, 0, 0));

    // Calendar fields out of their range roll over, as the C library's conversions do.
    std::time_t t = 0;
    ASSERT_TRUE(UtcCalendarToTime({.year = 2023, .month = 12, .day = 32}, t));
    EXPECT_EQ(t, 1704067200) << "2024-01-01";

    EXPECT_FALSE(UtcCalendar(std::numeric_limits<std::time_t>::max(), c)) << "a year beyond int";
}
