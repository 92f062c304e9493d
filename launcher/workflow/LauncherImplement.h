#pragma once
// The launcher implementation: the component holding the launcher's workflow (self-update, install
// check, distribution packages, patching, the game start, the end of the run). The updater thread
// runs its first steps, the window starts the game through it, and the launcher script names
// functions that replace or extend its steps through the script class "LauncherImpl".
#include "launcher/app/Components.h"
#include "launcher/app/LauncherUpdater.h"
#include "launcher/app/ThreadProcessCall.h"

#include <cstdint>
#include <string>

struct sDistributePackageInfo;
class CGameInfoManagerBase;
class CFWLauncherGUI;

class CLauncherImplement : public IAbsInitializer,
                           public CObjectConnectorReceiver,
                           public IThreadProcessCall,
                           public ILauncherUpdateSteps
{
public:
    // Starts the game client (the window's start button, or the automatic start).
    virtual int DoApplication() = 0;
    // The updater thread's steps come from ILauncherUpdateSteps; the install check is the VM step's
    // question without its ending.
    virtual int CheckInstall() = 0;
    // Option 0-2 of the window's check boxes, applied when the game starts; state 1 checked.
    virtual int DoOption(uint32_t index, int state) = 0;
    virtual int DownloadClient_InstallVersion(const wchar_t* url, const wchar_t* path) = 0;
    // Where the installer goes; false when the player did not choose (folder then holds a fallback).
    virtual bool GetSelectedFolder_ForInstall(std::wstring& folder, uint32_t requiredBytes) = 0;
    virtual int InstallApplication(const std::wstring& folder) = 0;
    // The end of a run that the window closes: options, game start, the closing log line.
    virtual int FinishLauncher(int result) = 0;
};

class CDefaultLauncherImplement : public CLauncherImplement
{
public:
    CDefaultLauncherImplement();
    ~CDefaultLauncherImplement() override;
    CDefaultLauncherImplement(const CDefaultLauncherImplement&) = delete;
    CDefaultLauncherImplement& operator=(const CDefaultLauncherImplement&) = delete;

    // 1.
    int Initialize() override;
    // Forgets the option function names.
    void Finalize() override;
    // Registering with the updater as its completion listener is the application's wiring: the
    // updater reaches this object as its IThreadProcessCall.
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }

    int DoApplication() override;
    // Runs the script's initialisation function; the self-update itself belongs to the restart
    // process and is driven from the updater's side.
    int CheckLauncherUpdateAndRestart() override;
    int CheckInstall() override;
    // Not installed: asks whether to open the install page, then ends the process with exit code 0.
    int CheckInstallVM() override;
    // Always 1: a package that fails is logged and the next one is tried.
    int UpdateDistPackages() override;
    int ProcessPatchSystem() override;
    // The script's option function for the index: its answer; 1 without one; -1 without a script;
    // 14003 for an index of 3 or more.
    int DoOption(uint32_t index, int state) override;
    // Resumable copy of the installer with both progress bars; 14042 when the updater was stopped.
    int DownloadClient_InstallVersion(const wchar_t* url, const wchar_t* path) override;
    // True, folder untouched: the default asks nobody.
    bool GetSelectedFolder_ForInstall(std::wstring& folder, uint32_t requiredBytes) override;
    // Downloads the installer into folder, runs it and waits for it with the window minimised.
    int InstallApplication(const std::wstring& folder) override;
    int FinishLauncher(int result) override;
    // Logs how the updater's run ended and hands the result to the window.
    void OnThreadProcessEnd(int result) override;

    int UpdateDistPackageContents(const sDistributePackageInfo& package, CGameInfoManagerBase* manager);

    // Script "Set…Function": a later call replaces the earlier name; nil forgets it. The names are
    // not checked: a wrong one shows only when the workflow calls it.
    void SetInitLauncherFunction(const char* name) { Assign(m_initFunction, name); }
    void SetDoApplicationFunction(const char* name) { Assign(m_applicationFunction, name); }
    void SetInstallApplicationFunction(const char* name) { Assign(m_installFunction, name); }
    void SetInstallApplicationFunctionAddon(const char* name) { Assign(m_installAddonFunction, name); }
    void SetFunctionAfterLauncherApplication(const char* name) { Assign(m_afterApplicationFunction, name); }
    // Option function of install option 0, 1 or 2; other indexes are ignored.
    void SetDoOptionFunction(uint32_t index, const char* name);

    // The default game start and the default install, which a script function may call in place of
    // its own; the installer download with script texts ("DownloadInstallFile").
    int DoApplication_Default();
    int InstallApplication_Default();
    int DownloadInstallFile(const char* url, const char* localPath);

    static constexpr uint32_t kOptionCount = 3;

    const std::string& GetInitLauncherFunction() const { return m_initFunction; }
    const std::string& GetDoApplicationFunction() const { return m_applicationFunction; }
    const std::string& GetInstallApplicationFunction() const { return m_installFunction; }
    const std::string& GetInstallApplicationFunctionAddon() const { return m_installAddonFunction; }
    const std::string& GetFunctionAfterLauncherApplication() const { return m_afterApplicationFunction; }
    // Empty when none is set (or the index is out of range).
    const std::string& GetDoOptionFunction(uint32_t index) const;

    // Bytes read per block of the installer download.
    static constexpr uint32_t kInstallerBlock = 4096;
    // Longest sleep of the waits for an installer or a package program before the stop flag and
    // the window's events are looked at again.
    static constexpr int kWaitRoundMs = 100;

protected:
    // The process end of the install check: does not return. A test replaces it to stay alive; the
    // install check then answers 0.
    virtual void EndProcess(int exitCode);

    CFWLauncherGUI* Window() const;
    CGameInfoManagerBase* Manager() const;
    bool StopRequested() const;
    const wchar_t* StringEntry(unsigned id) const;
    // The named script function's answer through the application's script (else the current one);
    // -1 without a script.
    int CallScript(const std::string& name) const;
    int CallScriptWithNumber(const std::string& name, double number) const;
    bool ScriptRunning() const;
    void Report(const char* actionCode) const;

    CObjectConnector* m_connector = nullptr;

private:
    static void Assign(std::string& field, const char* name) { field = name ? name : ""; }
    // Waits for the started program with the window's events flowing, until it ends or the
    // updater is stopped.
    void WaitForProgram(class IStartProcessBase& starter) const;

    std::string m_initFunction;
    std::string m_applicationFunction;
    std::string m_installFunction;
    std::string m_installAddonFunction;
    std::string m_afterApplicationFunction;
    std::string m_optionFunctions[kOptionCount];
};

// The portal's implementation: asks for the install folder, and applies the window's options after
// the script's option hook.
class CFWLImplement : public CDefaultLauncherImplement
{
public:
    int DoOption(uint32_t index, int state) override;
    // Asks (string-table entry 31) whether to choose a folder; without a choice the temporary
    // folder, and false.
    bool GetSelectedFolder_ForInstall(std::wstring& folder, uint32_t requiredBytes) override;

protected:
    // The folder picker; empty when nothing was chosen. No picker exists without a window toolkit.
    virtual std::wstring SelectFolder(uint32_t requiredBytes);
    // What a checked option does (desktop shortcut, start page); 1 here: the window's option code
    // provides the actions.
    virtual int ApplyOption(uint32_t index);
};
