#pragma once
// Calendar conversions between seconds since 1970 (UTC) and broken-down dates, in the local time
// zone or in UTC. The local zone is the one the process runs in (TZ, else the system's).
#include <ctime>

namespace platform::time
{

struct sCalendar
{
    int year = 0;      // full year, e.g. 2024
    int month = 0;     // 1..12
    int day = 0;       // 1..31
    int hour = 0;      // 0..23
    int minute = 0;    // 0..59
    int second = 0;    // 0..60 (a leap second can be named)
    int dayOfWeek = 0; // 0 = Sunday; filled by the conversions from seconds, ignored by those to seconds
};

// The local calendar of t; false when the calendar cannot hold it.
bool LocalCalendar(std::time_t t, sCalendar& out);
// The UTC calendar of t; false when the calendar cannot hold it.
bool UtcCalendar(std::time_t t, sCalendar& out);
// Seconds of a local calendar (daylight saving decided by the zone's rules); false when none.
bool LocalCalendarToTime(const sCalendar& local, std::time_t& out);
// Seconds of a UTC calendar; false when none.
bool UtcCalendarToTime(const sCalendar& utc, std::time_t& out);
// Seconds east of UTC in force at t in the local zone (0 when unknown).
long LocalOffsetSeconds(std::time_t t);

} // namespace platform::time
