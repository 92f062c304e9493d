#include "launcher/script/GlobalFunctionForScript.h"

#include "launcher/app/Components.h"
#include "launcher/app/UpdaterStopFlag.h"
#include "launcher/script/ExecuteWrapper.h"
#include "launcher/script/InterMessageQueue.h"
#include "launcher/script/LauncherScript.h"
#include "launcher/script/LuaTinker.h"
#include "launcher/script/RegistryProcess.h"
#include "launcher/script/ScriptText.h"
#include "launcher/script/StartProcess.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/CommandLine.h"
#include "platform/process/Environment.h"
#include "platform/process/ProcessList.h"
#include "platform/text/TextCodec.h"
#include "platform/ui/EventPump.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"
#include "zpak/file/ResumableCopy.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
constexpr uint32_t kDownloadBlock = 500000;
constexpr int kWaitRoundMs = 100;
constexpr size_t kEnvironmentChars = 1024;

using script_text::ToWide;

void Entry(const wchar_t* name)
{
    ZP::GetLog()->Write(name);
}

template <class Root, class Fn> auto WithKey(const wchar_t* entry, Fn fn)
{
    Entry(entry);
    Root registry;
    auto r = fn(&registry);
    registry.CloseKey();
    return r;
}

// A wide buffer sized to the text: no cut.
std::wstring ToWideWhole(const char* text, unsigned codePage)
{
    return text ? platform::text::MultiByteToWide(text, codePage) : std::wstring();
}

// A new object that the list owns; the script gets a plain pointer to it.
template <class T, class Owned, class... Args>
T* Keep(std::vector<std::unique_ptr<Owned>>& owners, Args... args)
{
    auto object = std::make_unique<T>(args...);
    T* view = object.get();
    owners.push_back(std::move(object));
    return view;
}
} // namespace

CGlobalFunctionForScript::CGlobalFunctionForScript() = default;

CGlobalFunctionForScript::~CGlobalFunctionForScript()
{
    // Every queue goes (closing its system queue) before any starter.
    m_queues.clear();
    m_starters.clear();
}

void CGlobalFunctionForScript::SetConnector(CObjectConnector* connector)
{
    m_connector = connector;
}

unsigned CGlobalFunctionForScript::CodePage() const
{
    return script_text::CodePageOf(m_connector);
}

const char* CGlobalFunctionForScript::SetResult(const std::wstring& text)
{
    return script_text::ToBuffer(text, CodePage(), ResultBuffer, sizeof(ResultBuffer));
}

bool CGlobalFunctionForScript::StopRequested() const
{
    return IsUpdaterStopRequested(m_connector);
}

void CGlobalFunctionForScript::SendStatus(const char* function, const char* text)
{
    CLauncherScript* script = m_connector ? m_connector->GetScript() : nullptr;
    lua_State* L = script ? script->GetLuaState() : nullptr;
    if (L && function && *function) lua_tinker::call(L, function, text);
}

void CGlobalFunctionForScript::SendProgress(const char* function, uint32_t percent)
{
    CLauncherScript* script = m_connector ? m_connector->GetScript() : nullptr;
    lua_State* L = script ? script->GetLuaState() : nullptr;
    if (L && function && *function) lua_tinker::call(L, function, percent);
}

// ---- registry ----------------------------------------------------------------------------------

uint32_t CGlobalFunctionForScript::RegCreateKey_Common(IRegistryProcess* registry, const char* key)
{
    std::wstring wideKey = ToWideWhole(key, CodePage());
    ZP::LogF(L"RegCreateKey : %s", wideKey.c_str());
    if (!key) return 0;
    uint32_t r = static_cast<uint32_t>(registry->CreateKey(wideKey.c_str()));
    registry->CloseKey();
    return r;
}

uint32_t CGlobalFunctionForScript::RegGetNumber_Common(IRegistryProcess* registry, const char* key,
                                                       const char* name)
{
    std::wstring wideKey = ToWide(key, CodePage());
    std::wstring wideName = ToWide(name, CodePage());
    ZP::LogF(L"RegGetNumber : %s, %s", wideKey.c_str(), wideName.c_str());
    if (!key || !name || registry->OpenForRead(wideKey.c_str()) != 1) return kRegNoNumber;
    return registry->GetNumberValue(wideName.c_str());
}

uint32_t CGlobalFunctionForScript::RegSetNumber_Common(IRegistryProcess* registry, const char* key,
                                                       const char* name, uint32_t value)
{
    std::wstring wideKey = ToWide(key, CodePage());
    std::wstring wideName = ToWide(name, CodePage());
    ZP::LogF(L"RegSetNumber : %s, %s, %d", wideKey.c_str(), wideName.c_str(), static_cast<int>(value));
    if (!key || !name || registry->OpenForWrite(wideKey.c_str()) != 1) return 0;
    return static_cast<uint32_t>(registry->SetNumberValue(wideName.c_str(), value));
}

const char* CGlobalFunctionForScript::RegGetText_Common(IRegistryProcess* registry, const char* key,
                                                        const char* name)
{
    std::wstring wideKey = ToWide(key, CodePage());
    std::wstring wideName = ToWide(name, CodePage());
    ZP::LogF(L"RegGetText : %s, %s", wideKey.c_str(), wideName.c_str());
    if (!key || !name || registry->OpenForRead(wideKey.c_str()) != 1) return SetResult(std::wstring());
    return SetResult(registry->GetTextValue(wideName.c_str()));
}

uint32_t CGlobalFunctionForScript::RegSetText_Common(IRegistryProcess* registry, const char* key,
                                                     const char* name, const char* text)
{
    std::wstring wideKey = ToWide(key, CodePage());
    std::wstring wideName = ToWide(name, CodePage());
    std::wstring wideText = ToWide(text, CodePage());
    ZP::LogF(L"RegSetText : %s, %s, %s", wideKey.c_str(), wideName.c_str(), wideText.c_str());
    if (!key || !name || !text || registry->OpenForWrite(wideKey.c_str()) != 1) return 0;
    return static_cast<uint32_t>(registry->SetTextValue(wideName.c_str(), wideText.c_str()));
}

uint32_t CGlobalFunctionForScript::RegDeleteValue_Common(IRegistryProcess* registry, const char* key,
                                                         const char* name)
{
    std::wstring wideKey = ToWide(key, CodePage());
    std::wstring wideName = ToWide(name, CodePage());
    ZP::LogF(L"RegDeleteValue : %s, %s", wideKey.c_str(), wideName.c_str());
    if (!key || !name || registry->OpenForWrite(wideKey.c_str()) != 1) return 0;
    return static_cast<uint32_t>(registry->DeleteValue(wideName.c_str()));
}

// The twelve script functions: one key object per call, its key closed before the return.
#define VELMORA_REGISTRY_TRAMPOLINES(Root)                                                                   \
    uint32_t CGlobalFunctionForScript::RegCreateKey_##Root(const char* key)                                  \
    {                                                                                                        \
        return WithKey<IRegistryProcess_##Root>(L"RegCreateKey_" #Root, [&](IRegistryProcess* r)             \
                                                { return RegCreateKey_Common(r, key); });                    \
    }                                                                                                        \
    uint32_t CGlobalFunctionForScript::RegGetNumber_##Root(const char* key, const char* name)                \
    {                                                                                                        \
        return WithKey<IRegistryProcess_##Root>(L"RegGetNumber_" #Root, [&](IRegistryProcess* r)             \
                                                { return RegGetNumber_Common(r, key, name); });              \
    }                                                                                                        \
    uint32_t CGlobalFunctionForScript::RegSetNumber_##Root(const char* key, const char* name,                \
                                                           uint32_t value)                                   \
    {                                                                                                        \
        return WithKey<IRegistryProcess_##Root>(L"RegSetNumber_" #Root, [&](IRegistryProcess* r)             \
                                                { return RegSetNumber_Common(r, key, name, value); });       \
    }                                                                                                        \
    const char* CGlobalFunctionForScript::RegGetText_##Root(const char* key, const char* name)               \
    {                                                                                                        \
        return WithKey<IRegistryProcess_##Root>(L"RegGetText_" #Root, [&](IRegistryProcess* r)               \
                                                { return RegGetText_Common(r, key, name); });                \
    }                                                                                                        \
    uint32_t CGlobalFunctionForScript::RegSetText_##Root(const char* key, const char* name,                  \
                                                         const char* text)                                   \
    {                                                                                                        \
        return WithKey<IRegistryProcess_##Root>(L"RegSetText_" #Root, [&](IRegistryProcess* r)               \
                                                { return RegSetText_Common(r, key, name, text); });          \
    }                                                                                                        \
    uint32_t CGlobalFunctionForScript::RegDeleteValue_##Root(const char* key, const char* name)              \
    {                                                                                                        \
        return WithKey<IRegistryProcess_##Root>(L"RegDeleteValue_" #Root, [&](IRegistryProcess* r)           \
                                                { return RegDeleteValue_Common(r, key, name); });            \
    }
VELMORA_REGISTRY_TRAMPOLINES(LocalMachine)
VELMORA_REGISTRY_TRAMPOLINES(CurrentUser)
#undef VELMORA_REGISTRY_TRAMPOLINES

// ---- programs ------------------------------------------------------------------------------------

int CGlobalFunctionForScript::CreateProcess_Common(IStartProcessBase* starter, const char* path,
                                                   const char* arguments)
{
    std::wstring widePath = ToWide(path, CodePage());
    std::wstring wideArguments = ToWide(arguments, CodePage());
    ZP::LogF(L"CreateProcess_Common : %s, %s", widePath.c_str(), wideArguments.c_str());
    return starter->CreateCurrentProcess(path ? widePath.c_str() : nullptr,
                                         arguments ? wideArguments.c_str() : nullptr);
}

// Which starter, whether to wait, and the entry and error line of each program start.
struct CGlobalFunctionForScript::sStartCall
{
    const wchar_t* entry;
    bool shell;
    bool wait;
    const char* operation;
    int line;
};

uint32_t CGlobalFunctionForScript::Start(const sStartCall& call, const char* path, const char* arguments)
{
    Entry(call.entry);
    IStartProcess process;
    IShellExecute shell;
    IStartProcessBase* starter = call.shell ? static_cast<IStartProcessBase*>(&shell) : &process;
    int r = CreateProcess_Common(starter, path, arguments);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, call.operation, call.line);
        return static_cast<uint32_t>(r);
    }
    int status = call.wait ? kWaitTimedOut : kWaitProcessEnded;
    while (status == kWaitTimedOut || status == kWaitInputAvailable)
    {
        if (StopRequested()) break;
        if (status == kWaitInputAvailable) platform::ui::DispatchOneEvent();
        status = starter->WaitWithMessages(kWaitRoundMs);
    }
    starter->CloseProcessHandles();
    return 1;
}

uint32_t CGlobalFunctionForScript::CreateProcess(const char* path, const char* arguments)
{
    return Start({L"CreateProcess", false, false, "CGlobalFunctionForScript::CreateProcessW", 237}, path,
                 arguments);
}

uint32_t CGlobalFunctionForScript::ShellExecute(const char* path, const char* arguments)
{
    return Start({L"ShellExecute", true, false, "CGlobalFunctionForScript::ShellExecuteW", 276}, path,
                 arguments);
}

uint32_t CGlobalFunctionForScript::CreateProcess_WaitEnd(const char* path, const char* arguments)
{
    return Start(
        {L"CreateProcess_WaitEnd", false, true, "CGlobalFunctionForScript::CreateProcess_WaitEnd", 249}, path,
        arguments);
}

uint32_t CGlobalFunctionForScript::ShellExecute_WaitEnd(const char* path, const char* arguments)
{
    return Start({L"ShellExecute_WaitEnd", true, true, "CGlobalFunctionForScript::ShellExecute_WaitEnd", 288},
                 path, arguments);
}

bool CGlobalFunctionForScript::IsProcessRunning(const char* name)
{
    if (!name) return false;
    std::wstring wanted = ToWideWhole(name, CodePage());
    std::vector<platform::process::sProcessEntry> processes;
    if (!platform::process::ListProcesses(processes)) return false;
    for (const platform::process::sProcessEntry& p : processes)
        if (p.id != 0 && platform::text::CompareNoCase(p.name, wanted) == 0) return true;
    return false;
}

// ---- HTTP ----------------------------------------------------------------------------------------

uint32_t CGlobalFunctionForScript::HTTP_GetFileSize(const char* url)
{
    std::wstring wideUrl = ToWide(url, CodePage());
    ZP::LogF(L"HTTP_GetFileSize : %s", wideUrl.c_str());
    if (!url) return 0;
    ZP::CFileHttp http;
    if (http.Open(wideUrl.c_str(), ZP::kModeRead, 0) != 1) return 0;
    uint32_t size = http.GetSize();
    http.Close();
    return size;
}

uint32_t CGlobalFunctionForScript::HTTP_DownloadFile(const char* url, const char* localPath,
                                                     const char* progressFunction, const char* statusFunction)
{
    static const char* const kOperation = "CGlobalFunctionForScript::HTTP_DownloadFile";
    char status[1100];
    auto sendStatus = [&](const char* format, auto... args)
    {
        std::snprintf(status, sizeof(status), format, args...);
        status[script_text::CharacterBoundary(status, sizeof(status) - 1, CodePage())] = '\0';
        SendStatus(statusFunction, status);
    };

    SendStatus(statusFunction, "HTTP_DownloadFile");
    Entry(L"HTTP_DownloadFile");
    std::wstring wideUrl = ToWide(url, CodePage());
    std::wstring widePath = ToWide(localPath, CodePage());
    ZP::LogF(L"HTTP_DownloadFile : %s, %s", wideUrl.c_str(), widePath.c_str());
    if (!url || !localPath)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidFileName, kOperation, 397);
        return ZP::kErrorInvalidFileName;
    }

    std::unique_ptr<ZP::IFileBase> local(ZP::GetFileFactory()->Create());
    std::unique_ptr<ZP::IFileBase> http(ZP::GetFileHttpFactory()->Create());
    if (!local || !http)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, kOperation, 397);
        return ZP::kErrorInvalidPointer;
    }
    uint32_t existing = 0;
    int r;
    if (ZP::FileExists(widePath))
    {
        r = local->Open(widePath.c_str(), ZP::kModeReadWrite, 0);
        existing = r == 1 ? local->GetSize() : 0;
        sendStatus("Download... %d", static_cast<int>(existing));
        ZP::LogF(L"Download... %d", static_cast<int>(existing));
    }
    else
    {
        r = local->Open(widePath.c_str(), ZP::kModeCreate, 0);
        SendStatus(statusFunction, "Download... 0");
        ZP::LogF(L"Download.... 0");
    }
    if (r != 1)
    {
        ZP_LOG_ERROR(r, kOperation, 397);
        return static_cast<uint32_t>(r);
    }

    sendStatus("Download URL : %s", url);
    ZP::LogF(L"Download URL : %s", wideUrl.c_str());
    r = http->Open(wideUrl.c_str(), ZP::kModeRead, 0);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, kOperation, 407);
        return static_cast<uint32_t>(r);
    }
    SendStatus(statusFunction, "HttpFile Open Success");
    ZP::GetLog()->Write(L"HttpFile Open Success");

    // Without a length there is no telling a complete copy from a cut one.
    if (static_cast<ZP::CFileHttp*>(http.get())->GetContentLength() < 0)
    {
        ZP_LOG_ERROR(ZP::kErrorDataSize, kOperation);
        return ZP::kErrorDataSize;
    }
    uint32_t total = http->GetSize();
    int result = 1;
    if (existing == total)
    {
        SendStatus(statusFunction, "Download is already completed");
        SendProgress(progressFunction, 100);
        ZP::GetLog()->Write(L"Download is already completed");
    }
    else
    {
        if (existing > 0 && existing < total)
        {
            SendStatus(statusFunction, "LocalFile SetPos");
            local->Seek(existing);
            SendStatus(statusFunction, "HttpFile SetPos");
        }
        // The script hears every piece, and the updater's stop byte ends the copy as well.
        class CScriptCopyListener : public ZP::ICopyListener
        {
        public:
            CScriptCopyListener(CGlobalFunctionForScript& owner, const char* progress)
                : m_owner(owner), m_progress(progress)
            {
            }
            bool StopRequested() override { return m_owner.StopRequested(); }
            void OnPiece(uint32_t total, uint32_t done, uint32_t piece) override
            {
                received += piece;
                ZP::LogF(L"Write : ask size(%d), real size(%d)", static_cast<int>(kDownloadBlock),
                         static_cast<int>(piece));
                auto percent = static_cast<float>(done) / static_cast<float>(total) * 100.0f;
                m_owner.SendProgress(m_progress, static_cast<uint32_t>(percent));
            }
            void OnRestart() override
            {
                ZP::GetLog()->Write(L"The server sends the file from its start, downloading again");
            }

            uint32_t received = 0;

        private:
            CGlobalFunctionForScript& m_owner;
            const char* m_progress;
        } listener(*this, progressFunction);

        if (existing > total)
            ZP::LogF(L"LocalFile is longer than the server's (%d > %d), downloading again",
                     static_cast<int>(existing), static_cast<int>(total));
        const uint32_t remaining = existing < total ? total - existing : total;
        if (existing > 0 && existing < total)
        {
            sendStatus("Will Download %d bytes", static_cast<int>(remaining));
            ZP::LogF(L"Will Download %d bytes", static_cast<int>(remaining));
        }
        ZP::CFileCopyTarget target(local.get(), 0, true);
        result = ZP::CopyResumable(http.get(), target,
                                   {.held = existing, .total = total, .block = kDownloadBlock}, &listener);
        sendStatus("Accident : read(%d), real(%d)", static_cast<int>(listener.received),
                   static_cast<int>(remaining));
    }

    http->Close();
    local->Close();
    if (StopRequested() || result == ZP::kErrorStopped) return ZP::kErrorDownload;
    if (result != 1)
    {
        ZP_LOG_ERROR(result, kOperation);
        return static_cast<uint32_t>(result);
    }
    return 1;
}

// ---- folders and files ---------------------------------------------------------------------------

bool CGlobalFunctionForScript::MakeDir(const char* path)
{
    std::wstring widePath = ToWide(path, CodePage());
    ZP::LogF(L"MakeDir : %s", widePath.c_str());
    if (!path) return false;
    std::wstring normal = ZP::BackslashToSlash(widePath);
    ZP::CreateFolderTree(normal);
    return ZP::FolderExists(normal);
}

bool CGlobalFunctionForScript::RemoveDir(const char* path)
{
    std::wstring widePath = ToWide(path, CodePage());
    ZP::LogF(L"RemoveDir : %s", widePath.c_str());
    return path && ZP::RemoveFolderTree(widePath, true);
}

bool CGlobalFunctionForScript::IsDirExists(const char* path)
{
    std::wstring widePath = ToWide(path, CodePage());
    ZP::LogF(L"IsDirExists : %s", widePath.c_str());
    return path && ZP::FolderExists(widePath);
}

bool CGlobalFunctionForScript::IsFileExists(const char* path)
{
    std::wstring widePath = ToWide(path, CodePage());
    ZP::LogF(L"IsFileExists : %s", widePath.c_str());
    return path && ZP::GetAttributes(widePath) != ZP::kInvalidAttributes;
}

int CGlobalFunctionForScript::CopyFile(const char* existingPath, const char* newPath)
{
    std::wstring from = ToWide(existingPath, CodePage());
    std::wstring to = ToWide(newPath, CodePage());
    ZP::LogF(L"CopyFile : %s, %s", from.c_str(), to.c_str());
    if (!existingPath || !newPath) return 0;
    return ZP::CopyFile(from, to, false) ? 1 : 0;
}

int CGlobalFunctionForScript::RenameFile(const char* newPath, const char* existingPath)
{
    std::wstring newName = ToWide(newPath, CodePage());
    std::wstring oldName = ToWide(existingPath, CodePage());
    ZP::LogF(L"RenameFile : %s, %s", newName.c_str(), oldName.c_str());
    if (!newPath || !existingPath) return -1;
    return ZP::RenameFile(newName, oldName) ? 0 : -1;
}

int CGlobalFunctionForScript::RemoveFile(const char* path)
{
    std::wstring widePath = ToWide(path, CodePage());
    ZP::LogF(L"RemoveFile : %s", widePath.c_str());
    if (!path || ZP::GetAttributes(widePath) == ZP::kInvalidAttributes) return 0;
    ZP::SetAttributes(widePath, platform::fs::kAttrNormal);
    return ZP::DeleteFile(widePath) ? 1 : 0;
}

// ---- arguments and environment -------------------------------------------------------------------

const char* CGlobalFunctionForScript::GetReceiveArgumentFromParentAll()
{
    std::vector<std::wstring> arguments = platform::process::OwnArguments();
    std::wstring all;
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        all += arguments[i];
        all += L' ';
    }
    ResultBuffer[0] = '\0';
    return SetResult(all);
}

const char* CGlobalFunctionForScript::GetReceiveArgumentFromParent(int index)
{
    std::vector<std::wstring> arguments = platform::process::OwnArguments();
    ResultBuffer[0] = '\0';
    long long position = static_cast<long long>(index) + 1;
    if (position < 0 || position >= static_cast<long long>(arguments.size())) return ResultBuffer;
    return SetResult(arguments[static_cast<size_t>(position)]);
}

const char* CGlobalFunctionForScript::GetEnvironmentString(const char* text)
{
    Entry(L"GetEnvironmentString");
    ResultBuffer[0] = '\0';
    if (!text) return ResultBuffer;
    std::wstring expanded = platform::process::ExpandEnvironmentText(ToWide(text, CodePage()));
    if (expanded.size() > kEnvironmentChars - 1) expanded.resize(kEnvironmentChars - 1);
    return SetResult(expanded);
}

const char* CGlobalFunctionForScript::ShowSelectPath_Terms_Dialog(const char* text, int number,
                                                                  const char* terms)
{
    if (!text || !terms) return nullptr;
    ResultBuffer[0] = '\0';
    return ResultBuffer;
}

// ---- factories -----------------------------------------------------------------------------------

CInterMessageQueue* CGlobalFunctionForScript::GetNewInterMessageQueue()
{
    Entry(L"GetNewInterMessageQueue");
    return Keep<CInterMessageQueue>(m_queues);
}

CStartProcessWrapper* CGlobalFunctionForScript::GetNewStartProcess()
{
    Entry(L"GetNewStartProcess");
    return Keep<CStartProcessWrapper>(m_starters, m_connector);
}

CShellExecuteWrapper* CGlobalFunctionForScript::GetNewShellExecute()
{
    Entry(L"GetNewShellExecute");
    return Keep<CShellExecuteWrapper>(m_starters, m_connector);
}
