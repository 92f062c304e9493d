#pragma once
// The one log of the process. Lines are held in memory until write-through is switched on, then
// each line is appended to the log file (CP949, CR LF) by its own open-write-close, so it is on disk
// when the call returns. Every line is mirrored to the debugger output.
#include <mutex>
#include <string>
#include <vector>

namespace ZP
{

class CZpakLog
{
public:
    CZpakLog();
    virtual ~CZpakLog() = default;

    virtual bool Write(const wchar_t* text, bool showBox = false, unsigned boxType = 0,
                       int* boxResult = nullptr);
    virtual bool WriteWarning(const wchar_t* text, bool showBox = false, unsigned boxType = 0,
                              int* boxResult = nullptr);
    virtual bool FlushHeldLines(const wchar_t* stem);
    virtual void Reset();
    virtual bool WriteLine(const wchar_t* text, bool warning);
    virtual bool AppendToFile(const std::wstring& line);
    virtual bool HoldLine(const std::wstring& line);

    // Fixes the file path from the stem and the local time now, in the working folder / in folder.
    bool SetLogFile(const wchar_t* stem);
    bool SetLogFileIn(const wchar_t* stem, const wchar_t* folder);

    std::wstring GetLogFilePath() const;
    std::vector<std::wstring> GetHeldLines() const;

    static void SetWriteThrough(bool on);
    static bool IsWriteThrough();

    // Longest line, prefix and line end included.
    static constexpr size_t kLineChars = 1023;

private:
    // The line, then the message box when a title is given.
    bool WriteAndShow(const wchar_t* text, bool warning, const wchar_t* boxTitle, unsigned boxType,
                      int* boxResult);

    mutable std::mutex m_lock;
    std::wstring m_path;
    std::vector<std::wstring> m_held;
};

CZpakLog* GetLog();

// Formatted lines (at most 1023 characters of text); false for a null format.
bool LogF(const wchar_t* format, ...);
bool LogWarnF(const wchar_t* format, ...);

// The one shape of every error line: message text of the code, " - ", and
// "File : <source name>, Function : <operation>, Line : <line>", written as a warning. The source
// name is the file's name without folders and extension. Call it through ZP_LOG_ERROR.
bool LogErrorLine(int code, const char* sourceFile, const char* function, int line);

} // namespace ZP

// Reports a failing result code from the statement where it is used. The optional third argument
// gives the line to report where the line of the original module is fixed (the script functions,
// the patch run); without it the statement's own line is reported.
#define ZP_LOG_ERROR(code, function, ...)                                                                    \
    ::ZP::LogErrorLine((code), __FILE__, (function),                                                         \
                       ::ZP::ErrorLineNumber(__LINE__ __VA_OPT__(, ) __VA_ARGS__))

namespace ZP
{
constexpr int ErrorLineNumber(int here)
{
    return here;
}
constexpr int ErrorLineNumber(int here, int given)
{
    return given;
}
} // namespace ZP
