#include "zpak/log/ZpakLog.h"

#include "platform/debug/DebugOutput.h"
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "platform/ui/SystemMessageBox.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/message/PatchSystemMessage.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <string_view>

namespace ZP
{
namespace
{
std::atomic<bool> g_writeThrough{false};

// Log files are read on Korean systems as ANSI text: CP949 with CR LF line ends, no byte-order mark.
std::string EncodeForFile(const std::wstring& line)
{
    std::string bytes = platform::text::WideToMultiByte(line, platform::text::kCodePageKorean);
    std::string out;
    out.reserve(bytes.size() + 4);
    for (char c : bytes)
    {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

std::wstring MakePath(const std::wstring& folder, const wchar_t* stem)
{
    sSystemTime t = LocalNow();
    return FormatWide(255, L"%ls/%ls/%ls_%04d%02d%02d_%02d%02d%02d.log", folder.c_str(), L"Log", stem, t.year,
                      t.month, t.day, t.hour, t.minute, t.second);
}

std::mutex g_fileLock; // stands in for the exclusive share mode of the log file
} // namespace

CZpakLog::CZpakLog()
{
    SetLogFile(L"LogReport");
}

bool CZpakLog::SetLogFile(const wchar_t* stem)
{
    return SetLogFileIn(stem, platform::fs::CurrentDirectory().c_str());
}

bool CZpakLog::SetLogFileIn(const wchar_t* stem, const wchar_t* folder)
{
    if (!stem || !*stem || !folder) return false;
    std::wstring path = MakePath(folder, stem);
    std::lock_guard<std::mutex> guard(m_lock);
    m_path = std::move(path);
    return true;
}

std::wstring CZpakLog::GetLogFilePath() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_path;
}

std::vector<std::wstring> CZpakLog::GetHeldLines() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_held;
}

void CZpakLog::SetWriteThrough(bool on)
{
    g_writeThrough.store(on);
}
bool CZpakLog::IsWriteThrough()
{
    return g_writeThrough.load();
}

bool CZpakLog::Write(const wchar_t* text, bool showBox, unsigned boxType, int* boxResult)
{
    return WriteAndShow(text, false, showBox ? L"Log" : nullptr, boxType, boxResult);
}

bool CZpakLog::WriteWarning(const wchar_t* text, bool showBox, unsigned boxType, int* boxResult)
{
    return WriteAndShow(text, true, showBox ? L"Warn" : nullptr, boxType, boxResult);
}

bool CZpakLog::WriteAndShow(const wchar_t* text, bool warning, const wchar_t* boxTitle, unsigned boxType,
                            int* boxResult)
{
    if (!text || !*text) return false;
    bool written = WriteLine(text, warning);
    if (boxTitle)
    {
        int answer = platform::ui::SystemMessageBox(text, boxTitle, boxType);
        if (boxResult) *boxResult = answer;
    }
    return written;
}

bool CZpakLog::WriteLine(const wchar_t* text, bool warning)
{
    if (!text || !*text) return false;
    sSystemTime t = LocalNow();
    std::wstring line = FormatWide(kLineChars,
                                   warning ? L"[--Warning--] [%04d%02d%02d_%02d:%02d:%02d] "
                                           : L"[%04d%02d%02d_%02d:%02d:%02d] ",
                                   t.year, t.month, t.day, t.hour, t.minute, t.second);
    // The text is appended, never used as a format: a percent sign stays a percent sign.
    size_t room = kLineChars - line.size() - 1;
    size_t len = std::wcslen(text);
    line.append(text, len < room ? len : room);
    line.push_back(L'\n');
    return IsWriteThrough() ? AppendToFile(line) : HoldLine(line);
}

bool CZpakLog::AppendToFile(const std::wstring& line)
{
    if (line.empty()) return false;
    std::wstring path = GetLogFilePath();
    std::string bytes = EncodeForFile(line);
    std::lock_guard<std::mutex> guard(g_fileLock);
    platform::fs::File file;
    if (FileExists(path))
    {
        if (!file.Open(path, platform::fs::eOpenMode::Append)) return false;
    }
    else
    {
        CreateParentFolders(path);
        if (!file.Open(path, platform::fs::eOpenMode::CreateAlways)) return false;
    }
    bool ok = file.WriteAll(bytes.data(), bytes.size());
    file.Close();
    if (ok) platform::debug::DebugOutput(line);
    return ok;
}

bool CZpakLog::HoldLine(const std::wstring& line)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_held.push_back(line);
    return true;
}

bool CZpakLog::FlushHeldLines(const wchar_t* stem)
{
    std::vector<std::wstring> held = GetHeldLines();
    if (held.empty() || !stem || !*stem) return false;
    if (!SetLogFile(stem)) return false;
    std::wstring path = GetLogFilePath();
    CreateParentFolders(path);
    std::string bytes;
    for (const std::wstring& line : held)
        bytes += EncodeForFile(line);
    std::lock_guard<std::mutex> guard(g_fileLock);
    platform::fs::File file;
    if (!file.Open(path, platform::fs::eOpenMode::CreateAlways)) return false;
    return file.WriteAll(bytes.data(), bytes.size());
}

void CZpakLog::Reset()
{
    SetLogFile(L"LogReport");
}

CZpakLog* GetLog()
{
    static CZpakLog log;
    return &log;
}

bool LogF(const wchar_t* format, ...)
{
    if (!format) return false;
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(CZpakLog::kLineChars, format, args);
    va_end(args);
    return GetLog()->Write(text.c_str());
}

bool LogWarnF(const wchar_t* format, ...)
{
    if (!format) return false;
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(CZpakLog::kLineChars, format, args);
    va_end(args);
    return GetLog()->WriteWarning(text.c_str());
}

bool LogErrorLine(int code, const char* sourceFile, const char* function, int line)
{
    // The module's source name: the file name without its folders and extension, as "PatchSystemProcess".
    std::string_view base = sourceFile ? sourceFile : "";
    size_t cut = base.find_last_of("/\\");
    if (cut != std::string_view::npos) base.remove_prefix(cut + 1);
    size_t dot = base.rfind('.');
    if (dot != std::string_view::npos && dot > 0) base = base.substr(0, dot);
    std::string name(base);
    std::string where = FormatNarrow(255, "File : %s, Function : %s, Line : %d", name.c_str(),
                                     function ? function : "", line);
    std::wstring text = GetMessageText(code);
    text += L" - ";
    text += platform::text::Utf8ToWide(where);
    return GetLog()->WriteWarning(text.c_str());
}

} // namespace ZP
