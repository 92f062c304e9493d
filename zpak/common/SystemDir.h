#pragma once
// Well-known folders by kind: 1 current, 2 system root, 3 system programs, 4 program files,
// 5 programs menu, 6 desktop, 7 temporary. Any other kind has no folder.
#include <string>
#include <string_view>

namespace ZP
{

class CSystemDir
{
public:
    enum eKind
    {
        Current = 1,
        Windows = 2,
        System = 3,
        ProgramFiles = 4,
        CommonPrograms = 5,
        Desktop = 6,
        Temporary = 7,
    };

    static CSystemDir& Get();
    virtual ~CSystemDir() = default;
    // False for an unknown kind.
    virtual bool GetFolder(int kind, std::wstring& out);
    // Index of a kind's name in the fixed name list, 8 when not found.
    virtual int FolderKindOf(std::wstring_view name);
};

} // namespace ZP
