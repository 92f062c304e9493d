// "publish": writes the patch server layout for a game folder, so that any static HTTP server can
// serve it. Older ".dat" files are kept: clients on older versions can still patch.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/Printable.h"
#include "tools/zpak/Progress.h"
#include "zpak/archive/ZipArchive.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/crc/Crc32.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/scan/LocalFile.h"

#include <cstdio>

namespace zpak_cli
{
namespace
{
// "*" matches any run of characters (also across "/"), case ignored.
bool Matches(const std::wstring& pattern, const std::wstring& text)
{
    size_t p = 0, t = 0, star = std::wstring::npos, mark = 0;
    while (t < text.size())
    {
        if (p < pattern.size() && pattern[p] == L'*')
            star = p++, mark = t;
        else if (p < pattern.size() &&
                 platform::text::ToUpper(pattern[p]) == platform::text::ToUpper(text[t]))
            ++p, ++t;
        else if (star != std::wstring::npos)
            p = star + 1, t = ++mark;
        else
            return false;
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool MatchesAny(const std::vector<std::wstring>& patterns, const std::wstring& name)
{
    for (const auto& p : patterns)
        if (Matches(p, name)) return true;
    return false;
}

struct sBuffer
{
    char* data = nullptr;
    uint32_t size = 0;
    ~sBuffer() { ZP::FreeBuffer(data); }
};

// Fills the check values and returns the transport bytes of one file.
bool TransportForm(const std::string& plain, ZP::CFileInfo& record, std::string& out)
{
    ZP::CCrc32& crc = ZP::CCrc32::Get();
    int32_t sum = 0;
    record.base.OrgCrc = crc.Update(plain.data(), plain.size(), 0, &sum);
    record.base.OrgSum = static_cast<uint32_t>(sum);
    record.base.CrcSign = ZP::CRC_SIGN;
    const bool loose = record.base.Loc == ZP::kLocLoose;
    const bool large = plain.size() >= ZP::kLargeFileBytes;
    out.clear();
    if (!loose && record.base.zip == ZP::kZipLzma)
    {
        sBuffer packed;
        if (!ZP::Compress(ZP::kZipLzma, &packed.data, &packed.size, plain.data(),
                          static_cast<uint32_t>(plain.size())))
            return false;
        out.assign(packed.data, packed.size);
        record.base.unzipsize = static_cast<uint32_t>(plain.size());
    }
    else if (!loose && large)
        out = plain; // moved byte for byte, stored as it is
    else
    {
        sBuffer stream;
        if (!ZP::Compress(ZP::kZipZlib, &stream.data, &stream.size, plain.data(),
                          static_cast<uint32_t>(plain.size())))
            return false;
        if (loose && stream.size >= ZP::kLargeFileBytes)
            out = plain; // a large loose file travels raw
        else
        {
            out.assign(stream.data, stream.size);
            record.base.unzipsize = static_cast<uint32_t>(plain.size());
        }
    }
    sum = 0;
    record.base.ZipCrc = crc.Update(out.data(), out.size(), 0, &sum);
    record.base.ZipSum = static_cast<uint32_t>(sum);
    record.base.size = static_cast<uint32_t>(out.size());
    return true;
}
} // namespace

int CmdPublish(const Args& args)
{
    if (args.size() < 2 || args.size() % 2 != 0) return 2;
    std::vector<std::wstring> loose, lzma;
    for (size_t i = 2; i + 1 < args.size(); i += 2)
    {
        if (args[i] == "--loose")
            loose.push_back(platform::text::Utf8ToWide(args[i + 1]));
        else if (args[i] == "--lzma")
            lzma.push_back(platform::text::Utf8ToWide(args[i + 1]));
        else
            return 2;
    }
    const std::wstring game =
        ZP::RemoveTrailingSeparator(ZP::BackslashToSlash(platform::text::Utf8ToWide(args[0])));
    const std::wstring root =
        ZP::RemoveTrailingSeparator(ZP::BackslashToSlash(platform::text::Utf8ToWide(args[1])));
    ZP::CLocalFile scan;
    if (!scan.Scan(game, true, true, nullptr, true)) return PrintError(ZP::kErrorFileSearch);

    // A cut name would be listed under one name and stored as a ".dat" under another: every client
    // patch would fail. Nothing is published while one is too long.
    int tooLong = 0;
    for (const std::wstring& name : scan.Paths())
        if (!ZP::CFileInfo::FitsName(name))
        {
            std::fprintf(stderr, "%s: error %d: %s\n", PrintableName(name).c_str(), ZP::kErrorNameTooLong,
                         platform::text::WideToUtf8(ZP::GetMessageText(ZP::kErrorNameTooLong)).c_str());
            ++tooLong;
        }
    if (tooLong) return PrintError(ZP::kErrorNameTooLong);

    ZP::vFileInfo list;
    uint64_t total = 0, done = 0;
    for (uint64_t s : scan.Sizes())
        total += s;
    CProgressLine progress;
    for (size_t i = 0; i < scan.Count(); ++i)
    {
        const std::wstring& name = scan.Paths()[i];
        if (scan.Sizes()[i] > 0xFFFFFFFFULL) return PrintError(ZP::kErrorFileSize);
        std::string plain;
        if (!ZP::ReadWholeFile(ZP::JoinPath(game, name), plain)) return PrintError(ZP::kErrorFileRead);
        auto* record = new ZP::CFileInfo;
        list.Add(record);
        record->SetName(name);
        record->base.NameLen = static_cast<uint32_t>(name.size() + 1);
        record->base.Loc = MatchesAny(loose, name) ? ZP::kLocLoose : ZP::kLocPak;
        record->base.zip =
            record->base.Loc == ZP::kLocPak && MatchesAny(lzma, name) ? ZP::kZipLzma : ZP::kZipNone;
        record->base.OrgSize = static_cast<uint32_t>(plain.size());
        record->base.FileTime = static_cast<uint32_t>(scan.LastWriteTimes()[i]);
        record->FillDateTimeIfEmpty();
        std::string transport;
        if (!TransportForm(plain, *record, transport)) return PrintError(ZP::kErrorCompress);
        std::wstring stamp = ZP::FormatWide(63, L"%08d_%06d", record->base.Date, record->base.Time);
        std::wstring dat = root + L"/Datas/" + name + L"_" + stamp + L".dat";
        ZP::CreateParentFolders(dat);
        if (!ZP::WriteWholeFile(dat, transport)) return PrintError(ZP::kErrorFileWrite);
        done += plain.size();
        progress.Update(done, total);
    }
    progress.Finish();

    // The list goes into the archive as "_tmp/ServerFiles.info".
    const std::wstring listFile = root + L"/Info/ServerFiles.info";
    ZP::CreateParentFolders(listFile);
    {
        ZP::CFile out;
        int r = out.Open(listFile.c_str(), ZP::kModeCreate, 0);
        if (r != 1) return PrintError(r);
        ZP::sFileListSaveLoad header;
        header.list = &list;
        if ((r = ZP::CFileInfoUtil::SaveFileList(&out, &header)) != 1) return PrintError(r);
    }
    int r = ZP::WriteZip(root + L"/Info/ServerFiles.zip", {{"_tmp/ServerFiles.info", listFile}});
    ZP::DeleteFile(listFile);
    if (r != 1) return PrintError(r);

    const std::wstring versionFile = root + L"/Version/FileInfoVersion.ver";
    ZP::sListVersion version{ZP::kDefaultListVersion, L"Info/ServerFiles.zip"};
    {
        ZP::CFile previous;
        uint32_t read = 0;
        ZP::sListVersion old;
        if (previous.Open(versionFile.c_str(), ZP::kModeRead, 0) == 1 &&
            ZP::CFileInfoUtil::ReadVersionRecord(&previous, &old, &read) == 1 &&
            read == ZP::kVersionRecordBytes)
            version.version = old.version + 1;
    }
    ZP::CreateParentFolders(versionFile);
    ZP::CFile out;
    uint32_t written = 0;
    if ((r = out.Open(versionFile.c_str(), ZP::kModeCreate, 0)) != 1 ||
        (r = ZP::CFileInfoUtil::WriteVersionRecord(&out, &version, &written)) != 1)
        return PrintError(r);
    std::printf("published %zu files, list version %u\n", list.Count(), version.version);
    return 0;
}

} // namespace zpak_cli
