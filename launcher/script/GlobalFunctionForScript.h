#pragma once
// The object behind the script class "GlobalFunction": registry, program starts and waits, process
// lookup, HTTP size and download with callbacks into the script, folders and files, the launcher's
// own arguments and environment strings, and factories of message queues and process starters.
//
// Text arguments arrive in the script's code page and are cut to 256 wide characters; text results
// are written in that code page into ResultBuffer (cut at a character boundary to 1023 bytes), which
// the next text result overwrites. A nil where a text is expected gives the function's failure value.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CObjectConnector;
class CInterMessageQueue;
class CExecuteWrapper;
class CStartProcessWrapper;
class CShellExecuteWrapper;
class IRegistryProcess;
class IStartProcessBase;

class CGlobalFunctionForScript
{
public:
    CGlobalFunctionForScript();
    virtual ~CGlobalFunctionForScript();
    CGlobalFunctionForScript(const CGlobalFunctionForScript&) = delete;
    CGlobalFunctionForScript& operator=(const CGlobalFunctionForScript&) = delete;

    virtual void SetConnector(CObjectConnector* connector);

// The registry functions: the six for the machine root, then the same six for the user root
// (RegCreateKey_LocalMachine ... RegDeleteValue_LocalMachine, RegCreateKey_CurrentUser ...).
#define VELMORA_REGISTRY_SCRIPT_FUNCTIONS(Root)                                                              \
    virtual uint32_t RegCreateKey_##Root(const char* key);                                                   \
    virtual uint32_t RegGetNumber_##Root(const char* key, const char* name);                                 \
    virtual uint32_t RegSetNumber_##Root(const char* key, const char* name, uint32_t value);                 \
    virtual const char* RegGetText_##Root(const char* key, const char* name);                                \
    virtual uint32_t RegSetText_##Root(const char* key, const char* name, const char* text);                 \
    virtual uint32_t RegDeleteValue_##Root(const char* key, const char* name);
    VELMORA_REGISTRY_SCRIPT_FUNCTIONS(LocalMachine)
    VELMORA_REGISTRY_SCRIPT_FUNCTIONS(CurrentUser)
#undef VELMORA_REGISTRY_SCRIPT_FUNCTIONS

    // 1, or 14012 (no such program) / 14013 (refused) with an error line. The waiting forms keep
    // the thread's user-interface events flowing and end when the program ends or the updater is
    // stopped (within 100 ms); they return 1 then, whatever the program's exit code.
    virtual uint32_t CreateProcess(const char* path, const char* arguments);
    virtual uint32_t ShellExecute(const char* path, const char* arguments);
    virtual uint32_t CreateProcess_WaitEnd(const char* path, const char* arguments);
    virtual uint32_t ShellExecute_WaitEnd(const char* path, const char* arguments);

    // Compares executable names without regard to case.
    virtual bool IsProcessRunning(const char* name);
    // Content length of the URL; 0 when it cannot be opened.
    virtual uint32_t HTTP_GetFileSize(const char* url);
    // Downloads into the local file, continuing a partial one. Status texts and percent values go
    // to the named script functions (either may be nil). 1; 14042 when the updater was stopped; the
    // code of the local or HTTP file when one cannot be opened; 14008 when the server gives no
    // length; the network's code (or 14042) when the body ends early; 14016 when writing fails.
    virtual uint32_t HTTP_DownloadFile(const char* url, const char* localPath, const char* progressFunction,
                                       const char* statusFunction);

    virtual bool MakeDir(const char* path);
    virtual bool RemoveDir(const char* path);
    virtual bool IsDirExists(const char* path);
    // True for a folder too.
    virtual bool IsFileExists(const char* path);
    // Non-zero on success; overwrites.
    virtual int CopyFile(const char* existingPath, const char* newPath);
    // Renames the file named second to the name given first: 0 on success, -1 on failure.
    virtual int RenameFile(const char* newPath, const char* existingPath);
    // Clears a read-only mark first. Non-zero on success, 0 when missing or not deleted.
    virtual int RemoveFile(const char* path);

    virtual const char* GetReceiveArgumentFromParentAll();
    // 0 is the first argument after the program path, -1 the program path; else the empty text.
    virtual const char* GetReceiveArgumentFromParent(int index);
    virtual const char* GetEnvironmentString(const char* text);
    // Shows nothing here: nil without both texts, else the empty text.
    virtual const char* ShowSelectPath_Terms_Dialog(const char* text, int number, const char* terms);

    // Each call makes a new object, owned by this one until it is destroyed.
    virtual CInterMessageQueue* GetNewInterMessageQueue();
    virtual CStartProcessWrapper* GetNewStartProcess();
    virtual CShellExecuteWrapper* GetNewShellExecute();

    CObjectConnector* GetConnector() const
    {
        return m_connector;
    }

protected:
    virtual uint32_t RegCreateKey_Common(IRegistryProcess* registry, const char* key);
    virtual uint32_t RegGetNumber_Common(IRegistryProcess* registry, const char* key, const char* name);
    virtual uint32_t RegSetNumber_Common(IRegistryProcess* registry, const char* key, const char* name,
                                         uint32_t value);
    virtual const char* RegGetText_Common(IRegistryProcess* registry, const char* key, const char* name);
    virtual uint32_t RegSetText_Common(IRegistryProcess* registry, const char* key, const char* name,
                                       const char* text);
    virtual uint32_t RegDeleteValue_Common(IRegistryProcess* registry, const char* key, const char* name);
    virtual int CreateProcess_Common(IStartProcessBase* starter, const char* path, const char* arguments);

    unsigned CodePage() const;
    // The text in the script's code page in ResultBuffer.
    const char* SetResult(const std::wstring& text);
    // Calls the named script function with a status text or a percent, when there is one.
    void SendStatus(const char* function, const char* text);
    void SendProgress(const char* function, uint32_t percent);
    bool StopRequested() const;

    char ResultBuffer[1024] = {};
    CObjectConnector* m_connector = nullptr;

private:
    struct sStartCall;
    // The four program starts: the starter the call names, the entry line, then either let go of the
    // program or wait for it.
    uint32_t Start(const sStartCall& call, const char* path, const char* arguments);

    std::vector<std::unique_ptr<CInterMessageQueue>> m_queues;
    std::vector<std::unique_ptr<CExecuteWrapper>> m_starters;
};
