#include "launcher/gui/CreateShortcut.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"

namespace
{
// The entry's name: the file name without folder and extension.
std::wstring EntryName(const std::wstring& file)
{
    const size_t slash = file.find_last_of(L"/\\");
    std::wstring name = slash == std::wstring::npos ? file : file.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

// Values of an entry cannot hold line breaks; a backslash is written doubled.
std::string EntryValue(const std::wstring& text)
{
    std::string out;
    for (char c : platform::text::WideToUtf8(text))
    {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

// One argument of Exec, quoted the way the entry format wants it.
std::string ExecArgument(const std::wstring& text)
{
    std::string quoted = "\"";
    for (char c : platform::text::WideToUtf8(text))
    {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return EntryValue(platform::text::Utf8ToWide(quoted + "\""));
}
} // namespace

std::string ICreateShortcut::BuildEntry(int kind, const std::wstring& target, const std::wstring& file) const
{
    if (kind != kKindFile && kind != kKindInternet) return std::string();
    std::string entry = "[Desktop Entry]\n";
    entry += kind == kKindInternet ? "Type=Link\n" : "Type=Application\n";
    entry += "Name=" + EntryValue(EntryName(file)) + "\n";
    if (kind == kKindInternet)
        entry += "URL=" + EntryValue(target) + "\n";
    else
    {
        // The arguments are one command-line text already; they follow the quoted program as they are.
        entry += "Exec=" + ExecArgument(target);
        if (!m_arguments.empty()) entry += " " + EntryValue(m_arguments);
        entry += "\n";
        if (!m_workingDirectory.empty()) entry += "Path=" + EntryValue(m_workingDirectory) + "\n";
    }
    if (!m_description.empty()) entry += "Comment=" + EntryValue(m_description) + "\n";
    if (!m_iconPath.empty()) entry += "Icon=" + EntryValue(m_iconPath) + "\n";
    return entry;
}

bool ICreateShortcut::Create(int kind, const std::wstring& target, const std::wstring& file)
{
    const std::string entry = BuildEntry(kind, target, file);
    if (entry.empty()) return false;
    platform::fs::File out;
    return out.Open(file, platform::fs::eOpenMode::CreateAlways) &&
           out.WriteAll(entry.data(), entry.size()) && out.Flush();
}
