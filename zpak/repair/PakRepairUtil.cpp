#include "zpak/repair/PakRepairUtil.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/FileBase.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/repair/PakRepair.h"

#include <algorithm>
#include <cwchar>
#include <string_view>

namespace ZP
{
namespace
{
constexpr unsigned kListCodePage = 949;
constexpr int kNoSystemFolder = 0;

bool IsCommentMark(char c)
{
    return c == '#' || c == '/' || c == ';' || c == '@';
}

// The separators a C-locale word scan stops at ('\n' never reaches a line here).
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The name a list line gives, or empty for a comment, a blank line, or a first word that cannot be
// a record name (cut off by the line limit, or longer than any name). overflow: the line went on
// past the bytes kept.
std::wstring NameOfLine(std::string_view line, bool overflow)
{
    if (line.empty() || IsCommentMark(line[0])) return std::wstring();
    // The line is C text: a NUL ends it.
    size_t nul = line.find('\0');
    if (nul != std::string_view::npos)
    {
        line = line.substr(0, nul);
        overflow = false;
    }
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    if (end == start || (end == line.size() && overflow)) return std::wstring();
    std::wstring name = MultiByteToWide(line.substr(start, end - start), kListCodePage);
    return name.size() <= CPakRepairUtil::kWordChars ? name : std::wstring();
}

// MarkDeletedAny only flags a record in memory, and compaction squeezes out (and drops from the
// table) the free list alone. Left like that, a flagged record would stay on disk as a live file
// with its damaged data, or, when other space was free, be written back as a free record over data
// that compaction moved into its old place. Handing flagged records to the free list makes
// compaction remove them for good.
void ReleaseFlaggedRecords(CPakMgr& paks)
{
    for (size_t v = 0; CPak* pak = paks.VolumeAt(v); ++v)
    {
        const std::vector<CFileInfo*>& free = pak->FreeRecords();
        for (CFileInfo* r : pak->AllRecords())
            if (r && r->base.Loc == kLocPak && r->base.deleted == 1 &&
                std::find(free.begin(), free.end(), r) == free.end())
                pak->AddFree(r);
    }
}
} // namespace

CPakRepairUtil::CPakRepairUtil()
{
    SetPakName(L"res.pak");
    CPakRepair::Get().SetFolder(kNoSystemFolder, m_listFolder);
}

void CPakRepairUtil::SetPakName(const std::wstring& name)
{
    m_pakPaths[0] = name;
    m_pakPaths[1] = L"../" + name;
    m_pakPaths[2] = L"../../" + name;
}

int CPakRepairUtil::Run(CPakMgr* paks, const std::wstring& /*pakName*/, const std::wstring& gameFolder,
                        bool deleteList)
{
    if (!paks)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepairUtil::Run");
        return kErrorInvalidPointer;
    }
    CPakRepair& list = CPakRepair::Get();
    if (!gameFolder.empty())
        list.SetFolder(kNoSystemFolder, BackslashToSlash(JoinPath(gameFolder, m_listFolder)));
    std::wstring path = list.Path();
    if (!m_verifyAlways && !FileExists(path))
        return kErrorFileMissing; // no damage was recorded: nothing to do
    sNotifyHooks& hooks = GetNotifyHooks();
    Notify(hooks.repairStart, static_cast<uint32_t>(paks->MergedIndex().Count()));
    int r = VerifyAll(paks);
    if (r != 1) return r;
    if (!FileExists(path))
    {
        // Verified without a list, and nothing was found.
        Notify(hooks.repairEnd);
        return 1;
    }
    r = ApplyList(paks, path);
    if (r != 1) return r;
    LogF(L"repair list : %u file(s) marked deleted", m_counter);
    ReleaseFlaggedRecords(*paks);
    if (!paks->CompactAll(false))
    {
        r = CStopper::IsStopRequested() ? kErrorStopped : kResultFail;
        ZP_LOG_ERROR(r, "CPakRepairUtil::Run");
        return r;
    }
    if (deleteList) DeleteFile(path);
    Notify(hooks.repairEnd);
    return 1;
}

int CPakRepairUtil::VerifyRecord(CPak& pak, const CFileInfo& record, bool skipEncrypted)
{
    return pak.CheckRecord(record, skipEncrypted);
}

int CPakRepairUtil::VerifyAll(CPakMgr* paks)
{
    if (!paks)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepairUtil::VerifyAll");
        return kErrorInvalidPointer;
    }
    sNotifyHooks& hooks = GetNotifyHooks();
    const vFileInfo& records = paks->MergedIndex();
    const uint32_t count = static_cast<uint32_t>(records.Count());
    const CFileInfo* previous = nullptr;
    uint32_t index = 0;
    for (const CFileInfo* r : records)
    {
        if (CStopper::IsStopRequested())
        {
            ZP_LOG_ERROR(kErrorStopped, "CPakRepairUtil::VerifyAll");
            return kErrorStopped;
        }
        if (previous)
        {
            Notify(hooks.repairFile, previous->Name().c_str());
            Notify(hooks.repairProgress, count, index);
        }
        previous = r;
        ++index;
        if (!r || r->base.Loc != kLocPak || r->base.deleted == 1) continue;
        CPak* pak = paks->VolumeAt(r->Volume);
        if (!pak) continue;
        int code = VerifyRecord(*pak, *r, m_skipEncrypted);
        if (code == kErrorStopped || CStopper::IsStopRequested())
        {
            ZP_LOG_ERROR(kErrorStopped, "CPakRepairUtil::VerifyAll");
            return kErrorStopped;
        }
        if (code != 1)
        {
            LogWarnF(L"damaged file : %s (%d)", r->Name().c_str(), code);
            AppendToRepairList(r, code);
        }
    }
    if (previous) Notify(hooks.repairFile, previous->Name().c_str());
    Notify(hooks.repairProgress, count, count);
    return 1;
}

int CPakRepairUtil::ApplyList(CPakMgr* paks, const std::wstring& listPath)
{
    ResetCounter();
    if (!paks)
    {
        ZP_LOG_ERROR(kErrorInvalidPointer, "CPakRepairUtil::ApplyList");
        return kErrorInvalidPointer;
    }
    platform::fs::File file;
    if (listPath.empty() || !file.Open(listPath, platform::fs::eOpenMode::Read))
    {
        ZP_LOG_ERROR(kErrorFileOpen, "CPakRepairUtil::ApplyList");
        return kErrorFileOpen;
    }
    // The list is read a piece at a time and only the start of each line is kept, so neither a
    // huge list nor an endless line costs more than these two buffers.
    std::string line;
    line.reserve(kLineBytes);
    bool overflow = false;
    auto takeLine = [&]()
    {
        std::wstring name = NameOfLine(line, overflow);
        if (!name.empty() && paks->MarkDeletedAny(name) == 1) ++m_counter;
        line.clear();
        overflow = false;
    };
    std::vector<char> piece(64 * 1024);
    int64_t got;
    while ((got = file.Read(piece.data(), piece.size())) > 0)
        for (int64_t i = 0; i < got; ++i)
        {
            char c = piece[static_cast<size_t>(i)];
            if (c == '\n')
                takeLine();
            else if (line.size() < kLineBytes)
                line.push_back(c);
            else
                overflow = true;
        }
    if (got < 0)
    {
        ZP_LOG_ERROR(kErrorFileRead, "CPakRepairUtil::ApplyList");
        return kErrorFileRead;
    }
    if (!line.empty()) takeLine();
    return 1;
}

int CPakRepairUtil::ParseArguments(int count, const wchar_t* const* arguments)
{
    if (count < 2 || !arguments)
    {
        ZP_LOG_ERROR(kErrorInvalidParameter, "CPakRepairUtil::ParseArguments");
        return kErrorInvalidParameter;
    }
    std::vector<std::wstring> all;
    all.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        all.emplace_back(arguments[i] ? arguments[i] : L"");
    m_arguments.assign(all.begin() + 1, all.end());
    return ParseOptions(all, 1, all.size());
}

int CPakRepairUtil::ParseOptions(const std::vector<std::wstring>& arguments, size_t index, size_t count)
{
    if (count < 2)
    {
        ZP_LOG_ERROR(kErrorInvalidParameter, "CPakRepairUtil::ParseOptions");
        return kErrorInvalidParameter;
    }
    count = std::min(count, arguments.size());
    auto number = [](const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); };
    for (size_t i = index; i < count;)
    {
        const std::wstring& word = arguments[i];
        bool known =
            word == L"@pakname" || word == L"@url" || word == L"@skipencode" || word == L"@skipendstate";
        if (!known || i + 1 >= count)
        {
            ++i;
            continue;
        }
        const std::wstring& value = arguments[i + 1];
        if (word == L"@pakname")
            SetPakName(value);
        else if (word == L"@url")
            m_url = value;
        else if (word == L"@skipencode")
            m_skipEncrypted = number(value) != 0;
        else
            m_skipEndState = number(value) != 0;
        i += 2;
    }
    return 1;
}

} // namespace ZP
