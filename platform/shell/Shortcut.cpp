#include "platform/shell/Shortcut.h"

#include "platform/fs/Executable.h"
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"

#include <cstdio>
#include <string>

namespace platform::shell
{
namespace
{
// A value of the key file format: line breaks, tabs and backslashes escaped.
std::string EscapeValue(const std::wstring& text)
{
    std::string out;
    for (char c : text::WideToUtf8(text))
    {
        switch (c)
        {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// One argument of an Exec line, quoted so that blanks and reserved characters stay part of it.
std::wstring QuoteExecArgument(const std::wstring& argument)
{
    std::wstring out = L"\"";
    for (wchar_t c : argument)
    {
        if (c == L'"' || c == L'`' || c == L'$' || c == L'\\') out += L'\\';
        // A lone % would be read as a field code.
        if (c == L'%') out += L'%';
        out += c;
    }
    return out + L"\"";
}

std::wstring EntryName(const std::wstring& path)
{
    std::wstring name = path;
    size_t slash = name.find_last_of(L"/\\");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

std::string EntryText(const sShortcut& s, const std::wstring& path)
{
    std::string out = "[Desktop Entry]\nVersion=1.0\n";
    out += s.kind == eShortcutKind::Url ? "Type=Link\n" : "Type=Application\n";
    out += "Name=" + EscapeValue(EntryName(path)) + "\n";
    if (!s.description.empty()) out += "Comment=" + EscapeValue(s.description) + "\n";
    if (s.kind == eShortcutKind::Url)
        out += "URL=" + EscapeValue(s.target) + "\n";
    else
    {
        std::wstring exec = QuoteExecArgument(s.target);
        if (!s.arguments.empty()) exec += L" " + s.arguments;
        out += "Exec=" + EscapeValue(exec) + "\n";
        if (!s.workingFolder.empty()) out += "Path=" + EscapeValue(s.workingFolder) + "\n";
    }
    if (!s.iconPath.empty()) out += "Icon=" + EscapeValue(s.iconPath) + "\n";
    return out;
}
} // namespace

bool WriteShortcut(const sShortcut& shortcut, const std::wstring& path)
{
    if (path.empty() || shortcut.target.empty()) return false;
    std::wstring temporary = path + L".part";
    std::string text = EntryText(shortcut, path);
    std::FILE* file = std::fopen(fs::NativePath(temporary).c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written;
    if (!written || !fs::MarkExecutable(temporary) || !fs::RenameFile(temporary, path))
    {
        fs::RemoveFile(temporary);
        return false;
    }
    return true;
}

} // namespace platform::shell
