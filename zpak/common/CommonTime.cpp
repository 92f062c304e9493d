// Time family of the utility object: time_t, file times (100 ns since 1601) and local calendars.
#include "zpak/common/CommonFunction.h"

#include "zpak/common/Format.h"

#include <chrono>

namespace ZP
{
namespace
{
constexpr uint64_t kTicksPerSecond = 10000000ULL;

sSystemTime FromTm(const std::tm& tm, uint16_t ms)
{
    sSystemTime st;
    st.year = static_cast<uint16_t>(tm.tm_year + 1900);
    st.month = static_cast<uint16_t>(tm.tm_mon + 1);
    st.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    st.day = static_cast<uint16_t>(tm.tm_mday);
    st.hour = static_cast<uint16_t>(tm.tm_hour);
    st.minute = static_cast<uint16_t>(tm.tm_min);
    st.second = static_cast<uint16_t>(tm.tm_sec);
    st.milliseconds = ms;
    return st;
}

// Seconds east of UTC in force at t.
long LocalOffset(time_t t)
{
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return 0;
    return tm.tm_gmtoff;
}
} // namespace

FileTime ZP_CommonFunction::TimeToFileTime(time_t t, bool toLocal)
{
    int64_t seconds = static_cast<int64_t>(t) + (toLocal ? LocalOffset(t) : 0);
    return static_cast<uint64_t>(seconds + static_cast<int64_t>(kFileTimeEpochOffsetSeconds)) * kTicksPerSecond;
}

bool ZP_CommonFunction::FileTimeToTime(FileTime ft, bool fromLocal, time_t& out)
{
    int64_t seconds = static_cast<int64_t>(ft / kTicksPerSecond) - static_cast<int64_t>(kFileTimeEpochOffsetSeconds);
    time_t utc = static_cast<time_t>(seconds);
    if (fromLocal)
        utc += LocalOffset(utc);
    // The calendar fields are read back as local time, as the platform's conversion does.
    std::tm tm{};
    if (!gmtime_r(&utc, &tm) || tm.tm_year < 0)
        return false;
    tm.tm_isdst = -1;
    time_t result = mktime(&tm);
    if (result == static_cast<time_t>(-1))
        return false;
    out = result;
    return true;
}

sSystemTime ZP_CommonFunction::LocalTime(time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return FromTm(tm, 0);
}

bool ZP_CommonFunction::UtcTime(time_t t, uint16_t milliseconds, sSystemTime& out)
{
    std::tm tm{};
    if (!gmtime_r(&t, &tm))
        return false;
    out = FromTm(tm, milliseconds);
    return true;
}

sSystemTime ZP_CommonFunction::LocalNow()
{
    auto now = std::chrono::system_clock::now();
    time_t t = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    localtime_r(&t, &tm);
    return FromTm(tm, static_cast<uint16_t>(ms));
}

bool ZP_CommonFunction::SystemTimeToTime(const sSystemTime& local, time_t& out)
{
    if (local.year < 1900)
        return false;
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    time_t t = mktime(&tm);
    if (t == static_cast<time_t>(-1))
        return false;
    out = t;
    return true;
}

std::wstring ZP_CommonFunction::TimeStamp(const sSystemTime& t)
{
    return FormatWide(255, L"%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::wstring ZP_CommonFunction::ShortTimeStamp(const sSystemTime& t)
{
    return FormatWide(255, L"%02d%02d%02d_%02d%02d%02d", t.year % 100, t.month, t.day, t.hour, t.minute, t.second);
}

} // namespace ZP
