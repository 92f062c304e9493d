#pragma once
// The file info record: one fixed-size description of a file in a pak, loose in the game folder,
// or on the patch server. On disk it is 108 little-endian bytes followed by a 512-byte UTF-16LE
// name; it is serialised field by field.
#include "zpak/common/ByteOrder.h"

#include <cstdint>
#include <string>

namespace ZP
{

constexpr uint32_t FILEINFO_SIGN = 0x00534946u; // "FIS\0"
constexpr uint32_t CRC_SIGN = 0x32435243u;      // "CRC2"
constexpr size_t kRecordBytes = 108;
constexpr size_t kNameBytes = 512;
constexpr size_t kNameUnits = 256; // UTF-16 units, terminator included
constexpr size_t kRecordWithNameBytes = kRecordBytes + kNameBytes;

// Record locations.
constexpr uint32_t kLocLoose = 0;
constexpr uint32_t kLocPak = 1;
constexpr uint32_t kLocNoList = 2;

// A record at least this large (stored or plain) is moved byte for byte (see IsSpecial).
constexpr uint32_t kLargeFileBytes = 20480000;

struct sFileInfoBase
{
    uint32_t reserved0 = 0;
    uint32_t NameLen = 0;
    uint32_t FilePos = 0;
    uint32_t size = 0;
    uint32_t OrgSize = 0;
    uint32_t zip = 0;
    uint32_t unzipsize = 0;
    uint32_t enc = 0;
    uint32_t EncSize = 0;
    uint32_t FileTime = 0;
    uint32_t PathKey = 0;
    uint32_t NameKey = 0;
    uint32_t ExtKey = 0;
    uint32_t DirKey = 0;
    uint32_t deleted = 0;
    uint32_t InfoPos = 0;
    uint32_t Loc = kLocNoList;
    uint32_t Sign = FILEINFO_SIGN;
    uint32_t reserved72 = 0;
    uint32_t Date = 0;
    uint32_t Time = 0;
    uint32_t OrgCrc = 0;
    uint32_t ZipCrc = 0;
    uint32_t CrcSign = 0;
    uint32_t OrgSum = 0;
    uint32_t ZipSum = 0;
    uint32_t reserved104 = 0;
};

class CFileInfo
{
public:
    CFileInfo() = default;

    sFileInfoBase base;
    uint32_t Volume = 0; // in memory only: the pak volume holding the record

    const std::wstring& Name() const { return m_name; }
    // Sets the name (cut to 255 UTF-16 units) and recomputes the four keys.
    void SetName(const std::wstring& name);
    void UpdateKeys();
    void CopyFrom(const CFileInfo& other);
    bool Equals(const CFileInfo* other) const;
    // Moved byte for byte between stores: encrypted, compressed, or (with the size flag) large.
    bool IsSpecial(bool withSizeRule) const;
    bool IsValid() const { return base.Sign == FILEINFO_SIGN; }
    bool HasCrc() const { return base.CrcSign == CRC_SIGN; }
    // Fills Date and Time from FileTime through the local calendar when both are 0.
    void FillDateTimeIfEmpty();
    // Whether a loose file of this size, last written at fileMtimeUtc, still matches the record.
    bool MatchesLooseFile(uint64_t fileSize, int64_t fileMtimeUtc) const;

    void WriteRecord(uint8_t out[kRecordBytes]) const;
    void ReadRecord(const uint8_t in[kRecordBytes]);
    void WriteName(uint8_t out[kNameBytes]) const;
    // The stored keys are kept as they were read. False when the field holds no terminator (the
    // name was cut to fit); the first 255 units are taken all the same.
    bool ReadName(const uint8_t in[kNameBytes]);
    // Whether a name fits a record whole (255 UTF-16 units); SetName cuts longer ones.
    static bool FitsName(const std::wstring& name);

private:
    std::wstring m_name;
};

// The loose-file time rule on its own: fileMtimeUtc read back through local time is within
// 40,000 seconds of recordTime.
bool LooseFileTimeMatches(uint32_t recordTime, int64_t fileMtimeUtc);

} // namespace ZP
