#include "zpak/common/SystemDir.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"

namespace ZP
{

CSystemDir& CSystemDir::Get()
{
    static CSystemDir instance;
    return instance;
}

bool CSystemDir::GetFolder(int kind, std::wstring& out)
{
    namespace fs = platform::fs;
    switch (kind)
    {
    case Current:
        out = fs::CurrentDirectory();
        break;
    case Windows:
        out = L"/";
        break;
    case System:
        out = L"/usr/bin";
        break;
    case ProgramFiles:
        out = fs::ProgramFilesDirectory();
        break;
    case CommonPrograms:
        out = fs::ProgramFilesDirectory() + L"/applications";
        break;
    case Desktop:
        out = fs::DesktopDirectory();
        break;
    case Temporary:
        out = fs::TempDirectory();
        break;
    default:
        return false;
    }
    return !out.empty();
}

int CSystemDir::FolderKindOf(std::wstring_view name)
{
    static const wchar_t* const kNames[] = {L"None",         L"Current",        L"Windows", L"System",
                                            L"ProgramFiles", L"CommonPrograms", L"Desktop", L"Temp"};
    for (int i = 0; i < 8; ++i)
        if (platform::text::CompareNoCase(name, kNames[i]) == 0) return i;
    return 8;
}

} // namespace ZP
