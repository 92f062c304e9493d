#pragma once
// The game information manager: what the launcher knows about the game it was started for, from the
// hand-off on the command line, the game information file in the installer's folder, and the
// game's install registration.
//
// Hand-off (the first command-line argument, at most 255 characters): items "GameId=", "InstallUrl=",
// "SiteCode=", "MemberNo=", "AuthCode=", each followed by its value and "|", in any order; keys are
// case-sensitive, the first occurrence counts, a value without a "|" after it counts as missing.
#include "launcher/app/Components.h"
#include "launcher/info/HttpDownloader.h"

#include <cstdint>
#include <memory>
#include <string>

class CGameInfo;

namespace platform::registry
{
class Key;
}

// Fields of the game record.
enum eGameField
{
    kFieldGameId,      // "GameId="
    kFieldFullClient,  // "InstallUrl=": the full installer URL
    kFieldInstallBase, // the installer URL up to and including its last "/"
    kFieldInstallFile, // the installer URL after its last "/"
    kFieldInstallDir,  // registry "Install_Dir"
    kFieldPatcher,     // registry "Patcher"
    kFieldRegArgument, // registry "Argument"
    kFieldMemberNo,    // "MemberNo="
    kGameFieldCount
};

// Registry names, slot 0-4.
enum eRegistryName
{
    kRegRootKey,    // "SOFTWARE\\Quillmark"
    kRegProduct,    // "Velmora"
    kRegInstallDir, // "Install_Dir"
    kRegPatcher,    // "Patcher"
    kRegArgument,   // "Argument"
    kRegistryNameCount
};

class CGameInfoManagerBase : public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    virtual int PrepareFromRegistry() = 0;
    virtual CGameInfo* GetGameInfo() = 0;
    virtual int PrepareGameInfoData() = 0;
    virtual void SetGameInfoFileName(const wchar_t* name) = 0;
    virtual const std::wstring& GetGameInfoFileName() const = 0;

    const std::wstring& GetField(eGameField field) const { return m_fields[field]; }
    const std::wstring& GetGameId() const { return m_fields[kFieldGameId]; }
    const std::wstring& GetPatcherName() const { return m_fields[kFieldPatcher]; }
    const std::wstring& GetMemberNo() const { return m_fields[kFieldMemberNo]; }

protected:
    std::wstring m_fields[kGameFieldCount];
};

class CDefaultGameInfoManager : public CGameInfoManagerBase
{
public:
    CDefaultGameInfoManager();
    ~CDefaultGameInfoManager() override;
    CDefaultGameInfoManager(const CDefaultGameInfoManager&) = delete;
    CDefaultGameInfoManager& operator=(const CDefaultGameInfoManager&) = delete;

    // Creates the game information record; 1.
    int Initialize() override;
    // Deletes it.
    void Finalize() override;
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }
    CGameInfo* GetGameInfo() override { return m_gameInfo.get(); }
    // Downloads the game information file from the installer's folder and runs it.
    int PrepareGameInfoData() override;
    void SetGameInfoFileName(const wchar_t* name) override { m_fileName = name ? name : L""; }
    const std::wstring& GetGameInfoFileName() const override { return m_fileName; }

    void SetRegistryName(eRegistryName slot, const wchar_t* name)
    {
        m_registryNames[slot] = name ? name : L"";
    }
    const std::wstring& GetRegistryName(eRegistryName slot) const { return m_registryNames[slot]; }

    // Script "SetRegistryRootKey_Root": the root key path from a script text; 0 when the text is
    // missing or longer than 255 characters, else 1. Takes effect from the next PrepareFromRegistry.
    uint32_t SetRegistryRootKey_Root(const char* text);

protected:
    int Download(const std::wstring& url);

    std::wstring m_registryNames[kRegistryNameCount];
    std::unique_ptr<CGameInfo> m_gameInfo;
    std::wstring m_fileName = L"GameInfo.dat";
    CObjectConnector* m_connector = nullptr;
    IGameInfoDownloader m_downloader;
};

class CFWLGameInfoManager : public CDefaultGameInfoManager
{
public:
    // Reads the hand-off: the result of PrepareFromSharedMemory.
    virtual int PrepareGameInfo();
    // Parses the first command-line argument into the game id, the installer URL with its folder
    // and file name, the site code and the member number. 1, or 0 when the argument is missing,
    // 256 characters or longer, or lacks "GameId=" or "InstallUrl=".
    virtual int PrepareFromSharedMemory();
    // With a site code the file is "<site code>_GameInfo.dat"; a URL without a scheme is tried once
    // more with "http://". Then the hand-off's "AuthCode=" becomes the game client's argument; when
    // it is missing the player sees "AuthCode Fail" and the result is 0.
    int PrepareGameInfoData() override;
    // Install folder, patcher and argument from "<root key>\\<game id>" under the machine root.
    int PrepareFromRegistry() override;
    // One plain-text (REG_SZ) value: 1; 0 for another type or an empty value; a failure code.
    virtual int GetTextFromRegistry(platform::registry::Key& key, const wchar_t* name, std::wstring& out);

    const std::wstring& GetSiteCode() const { return m_siteCode; }

private:
    std::wstring m_siteCode;
    // The file name before the site code was put in front of it.
    std::wstring m_plainFileName;
};
