#include "zpak/info/FileInfo.h"

#include "platform/text/TextCodec.h"
#include "platform/time/Calendar.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/crc/Crc32.h"

#include <cmath>
#include <cstring>

namespace ZP
{

namespace
{
// Field order of the 108-byte record, one u32 every 4 bytes.
uint32_t sFileInfoBase::*const kFields[27] = {
    &sFileInfoBase::reserved0, &sFileInfoBase::NameLen,  &sFileInfoBase::FilePos,     &sFileInfoBase::size,
    &sFileInfoBase::OrgSize,   &sFileInfoBase::zip,      &sFileInfoBase::unzipsize,   &sFileInfoBase::enc,
    &sFileInfoBase::EncSize,   &sFileInfoBase::FileTime, &sFileInfoBase::PathKey,     &sFileInfoBase::NameKey,
    &sFileInfoBase::ExtKey,    &sFileInfoBase::DirKey,   &sFileInfoBase::deleted,     &sFileInfoBase::InfoPos,
    &sFileInfoBase::Loc,       &sFileInfoBase::Sign,     &sFileInfoBase::reserved72,  &sFileInfoBase::Date,
    &sFileInfoBase::Time,      &sFileInfoBase::OrgCrc,   &sFileInfoBase::ZipCrc,      &sFileInfoBase::CrcSign,
    &sFileInfoBase::OrgSum,    &sFileInfoBase::ZipSum,   &sFileInfoBase::reserved104,
};
static_assert(sizeof(kFields) / sizeof(kFields[0]) * 4 == kRecordBytes);
} // namespace

void CFileInfo::SetName(const std::wstring& name)
{
    std::u16string units = platform::text::WideToUtf16(name);
    if (units.size() > kNameUnits - 1)
    {
        units.resize(kNameUnits - 1);
        // Do not leave half a surrogate pair at the cut.
        if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
        m_name = platform::text::Utf16ToWide(units);
    }
    else
        m_name = name;
    UpdateKeys();
}

void CFileInfo::UpdateKeys()
{
    if (m_name.size() < 2)
    {
        base.PathKey = base.NameKey = base.ExtKey = base.DirKey = 0;
        return;
    }
    std::wstring key = BackslashToSlash(m_name);
    CCrc32& crc = CCrc32::Get();
    base.PathKey = crc.HashPart(key, 0);
    base.NameKey = crc.HashPart(key, 1);
    base.ExtKey = crc.HashPart(key, 2);
    base.DirKey = crc.HashPart(key, 3);
}

void CFileInfo::CopyFrom(const CFileInfo& other)
{
    base = other.base;
    m_name = other.m_name;
    Volume = other.Volume;
}

bool CFileInfo::Equals(const CFileInfo* other) const
{
    if (!other || other->base.Sign != FILEINFO_SIGN) return false;
    const sFileInfoBase& a = base;
    const sFileInfoBase& b = other->base;
    if (a.OrgSize != b.OrgSize || a.PathKey != b.PathKey || a.NameKey != b.NameKey || a.DirKey != b.DirKey ||
        a.ExtKey != b.ExtKey || a.zip != b.zip || a.enc != b.enc || a.Loc != b.Loc || a.deleted != b.deleted)
        return false;
    sSystemTime ta = LocalTime(static_cast<time_t>(a.FileTime));
    sSystemTime tb = LocalTime(static_cast<time_t>(b.FileTime));
    return ta.year == tb.year && ta.month == tb.month && ta.day == tb.day && ta.hour == tb.hour &&
           ta.minute == tb.minute && std::abs(static_cast<int>(ta.second) - static_cast<int>(tb.second)) <= 1;
}

bool CFileInfo::IsSpecial(bool withSizeRule) const
{
    if (base.enc >= 1 && base.enc <= 4) return true;
    if (base.zip == 1 || base.zip == 2) return true;
    return withSizeRule && (base.size > base.OrgSize ? base.size : base.OrgSize) >= kLargeFileBytes;
}

void CFileInfo::FillDateTimeIfEmpty()
{
    if (base.Date != 0 || base.Time != 0) return;
    sSystemTime t = LocalTime(static_cast<time_t>(base.FileTime));
    base.Date = t.year * 10000u + t.month * 100u + t.day;
    base.Time = t.hour * 10000u + t.minute * 100u + t.second;
}

bool LooseFileTimeMatches(uint32_t recordTime, int64_t fileMtimeUtc)
{
    // The file system's UTC time is split into calendar fields and read back as local time, so
    // the comparison absorbs the time-zone offset (up to about 11 hours) between the two clocks.
    platform::time::sCalendar fields;
    time_t asLocal = 0;
    if (!platform::time::UtcCalendar(static_cast<time_t>(fileMtimeUtc), fields) ||
        !platform::time::LocalCalendarToTime(fields, asLocal))
        return false;
    double diff = std::fabs(static_cast<double>(asLocal) - static_cast<double>(recordTime));
    return diff * 0.0001 <= 4.0;
}

bool CFileInfo::MatchesLooseFile(uint64_t fileSize, int64_t fileMtimeUtc) const
{
    return fileSize == base.OrgSize && LooseFileTimeMatches(base.FileTime, fileMtimeUtc);
}

void CFileInfo::WriteRecord(uint8_t out[kRecordBytes]) const
{
    for (size_t i = 0; i < sizeof(kFields) / sizeof(kFields[0]); ++i)
        WriteU32(out + i * 4, base.*kFields[i]);
}

void CFileInfo::ReadRecord(const uint8_t in[kRecordBytes])
{
    for (size_t i = 0; i < sizeof(kFields) / sizeof(kFields[0]); ++i)
        base.*kFields[i] = ReadU32(in + i * 4);
}

void CFileInfo::WriteName(uint8_t out[kNameBytes]) const
{
    std::memset(out, 0, kNameBytes);
    std::u16string units = platform::text::WideToUtf16(m_name);
    size_t n = units.size() < kNameUnits - 1 ? units.size() : kNameUnits - 1;
    for (size_t i = 0; i < n; ++i)
    {
        out[i * 2] = static_cast<uint8_t>(units[i]);
        out[i * 2 + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
}

bool CFileInfo::ReadName(const uint8_t in[kNameBytes])
{
    std::u16string units;
    // The last unit is always taken as the terminator, even in a damaged record.
    bool terminated = false;
    for (size_t i = 0; i < kNameUnits - 1; ++i)
    {
        char16_t u = static_cast<char16_t>(in[i * 2] | (in[i * 2 + 1] << 8));
        if (u == 0)
        {
            terminated = true;
            break;
        }
        units.push_back(u);
    }
    terminated = terminated || (in[kNameBytes - 2] | in[kNameBytes - 1]) == 0;
    m_name = platform::text::Utf16ToWide(units);
    return terminated;
}

bool CFileInfo::FitsName(const std::wstring& name)
{
    return platform::text::WideToUtf16(name).size() <= kNameUnits - 1;
}

} // namespace ZP
