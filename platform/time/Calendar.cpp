#include "platform/time/Calendar.h"

#include <time.h>

namespace platform::time
{
namespace
{
sCalendar FromTm(const std::tm& tm)
{
    sCalendar c;
    c.year = tm.tm_year + 1900;
    c.month = tm.tm_mon + 1;
    c.day = tm.tm_mday;
    c.hour = tm.tm_hour;
    c.minute = tm.tm_min;
    c.second = tm.tm_sec;
    c.dayOfWeek = tm.tm_wday;
    return c;
}

std::tm ToTm(const sCalendar& c)
{
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    return tm;
}
} // namespace

bool LocalCalendar(std::time_t t, sCalendar& out)
{
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return false;
    out = FromTm(tm);
    return true;
}

bool UtcCalendar(std::time_t t, sCalendar& out)
{
    std::tm tm{};
    if (!gmtime_r(&t, &tm)) return false;
    out = FromTm(tm);
    return true;
}

bool LocalCalendarToTime(const sCalendar& local, std::time_t& out)
{
    std::tm tm = ToTm(local);
    tm.tm_isdst = -1;
    std::time_t t = mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return false;
    out = t;
    return true;
}

bool UtcCalendarToTime(const sCalendar& utc, std::time_t& out)
{
    std::tm tm = ToTm(utc);
    std::time_t t = timegm(&tm);
    if (t == static_cast<std::time_t>(-1)) return false;
    out = t;
    return true;
}

long LocalOffsetSeconds(std::time_t t)
{
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 0;
    return tm.tm_gmtoff;
}

} // namespace platform::time
