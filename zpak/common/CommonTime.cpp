// Time family of the utility object: time_t, file times (100 ns since 1601) and local calendars.
#include "zpak/common/CommonFunction.h"

#include "platform/time/Calendar.h"
#include "zpak/common/Format.h"

#include <chrono>

namespace ZP
{
namespace
{
constexpr uint64_t kTicksPerSecond = 10000000ULL;

sSystemTime FromCalendar(const platform::time::sCalendar& c, uint16_t ms)
{
    sSystemTime st;
    st.year = static_cast<uint16_t>(c.year);
    st.month = static_cast<uint16_t>(c.month);
    st.dayOfWeek = static_cast<uint16_t>(c.dayOfWeek);
    st.day = static_cast<uint16_t>(c.day);
    st.hour = static_cast<uint16_t>(c.hour);
    st.minute = static_cast<uint16_t>(c.minute);
    st.second = static_cast<uint16_t>(c.second);
    st.milliseconds = ms;
    return st;
}
} // namespace

FileTime ZP_CommonFunction::TimeToFileTime(time_t t, bool toLocal)
{
    int64_t seconds = static_cast<int64_t>(t) + (toLocal ? platform::time::LocalOffsetSeconds(t) : 0);
    return static_cast<uint64_t>(seconds + static_cast<int64_t>(kFileTimeEpochOffsetSeconds)) *
           kTicksPerSecond;
}

bool ZP_CommonFunction::FileTimeToTime(FileTime ft, bool fromLocal, time_t& out)
{
    int64_t seconds =
        static_cast<int64_t>(ft / kTicksPerSecond) - static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
    time_t utc = static_cast<time_t>(seconds);
    if (fromLocal) utc += platform::time::LocalOffsetSeconds(utc);
    // The calendar fields are read back as local time, as the platform's conversion does.
    platform::time::sCalendar c;
    if (!platform::time::UtcCalendar(utc, c) || c.year < 1900) return false;
    return platform::time::LocalCalendarToTime(c, out);
}

sSystemTime ZP_CommonFunction::LocalTime(time_t t)
{
    platform::time::sCalendar c;
    platform::time::LocalCalendar(t, c);
    return FromCalendar(c, 0);
}

bool ZP_CommonFunction::UtcTime(time_t t, uint16_t milliseconds, sSystemTime& out)
{
    platform::time::sCalendar c;
    if (!platform::time::UtcCalendar(t, c)) return false;
    out = FromCalendar(c, milliseconds);
    return true;
}

sSystemTime ZP_CommonFunction::LocalNow()
{
    auto now = std::chrono::system_clock::now();
    time_t t = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    platform::time::sCalendar c;
    platform::time::LocalCalendar(t, c);
    return FromCalendar(c, static_cast<uint16_t>(ms));
}

bool ZP_CommonFunction::SystemTimeToTime(const sSystemTime& local, time_t& out)
{
    if (local.year < 1900) return false;
    platform::time::sCalendar c;
    c.year = local.year;
    c.month = local.month;
    c.day = local.day;
    c.hour = local.hour;
    c.minute = local.minute;
    c.second = local.second;
    return platform::time::LocalCalendarToTime(c, out);
}

std::wstring ZP_CommonFunction::TimeStamp(const sSystemTime& t)
{
    return FormatWide(255, L"%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::wstring ZP_CommonFunction::ShortTimeStamp(const sSystemTime& t)
{
    return FormatWide(255, L"%02d%02d%02d_%02d%02d%02d", t.year % 100, t.month, t.day, t.hour, t.minute,
                      t.second);
}

} // namespace ZP
