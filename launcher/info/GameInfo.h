#pragma once
// The game information record: where the game's patch data lives, which executable to start with
// which argument, the install page, the report host, the extra packages and the script functions
// that decide about processes already running. The game information file ("GameInfo.dat", a script
// chunk) fills it through the script class "GameInfo".
#include "launcher/info/Checks.h"
#include "launcher/info/DistributePackageInfo.h"
#include "launcher/info/InfoRecord.h"
#include "launcher/info/InfoText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum eGameInfoText
{
    kGameServerURL,
    kGamePakDir,
    kGamePakName,
    kGameExeFileName,
    kGameArgument,
    kGameVersion,
    kGameDefaultWebAddress,
    kGameExe32Path,
    kGameExe64Path,
    kGameInstallUrl,
    kGameEnv,
    kGameBIUrl,
    kGameInfoTextCount
};

// Script getter and setter of one property: the getter returns the wide copy in the script's code
// page, the setter answers 1 when the text was stored (0 for nil or more than 255 characters).
#define VELMORA_GAME_INFO_TEXT(Name, index)                                                                  \
    const char* Get##Name()                                                                                  \
    {                                                                                                        \
        return GetText(index);                                                                               \
    }                                                                                                        \
    uint32_t Set##Name(const char* text)                                                                     \
    {                                                                                                        \
        return SetText(index, text, "CGameInfo::Set" #Name);                                                 \
    }

class CGameInfo : public ICheckInvalidFile, public ICheckInvalidMemoryData, public IInfoRecord
{
public:
    CGameInfo();
    ~CGameInfo() override;
    CGameInfo(const CGameInfo&) = delete;
    CGameInfo& operator=(const CGameInfo&) = delete;

    // Checks the buffer (14003 null, 14008 empty) and runs it as a chunk of the current script. Any
    // buffer that passes the check marks the record loaded, whatever the chunk did.
    virtual int LoadInfoFromMemoryA(const char* data, uint32_t size);
    int LoadInfoFromMemory(const char* data, uint32_t size) override;

    VELMORA_GAME_INFO_TEXT(ServerURL, kGameServerURL)
    VELMORA_GAME_INFO_TEXT(PakDir, kGamePakDir)
    VELMORA_GAME_INFO_TEXT(PakName, kGamePakName)
    VELMORA_GAME_INFO_TEXT(ExeFileName, kGameExeFileName)
    VELMORA_GAME_INFO_TEXT(Argument, kGameArgument)
    VELMORA_GAME_INFO_TEXT(GameVersion, kGameVersion)
    VELMORA_GAME_INFO_TEXT(DefaultWebAddress, kGameDefaultWebAddress)
    VELMORA_GAME_INFO_TEXT(Exe32Path, kGameExe32Path)
    VELMORA_GAME_INFO_TEXT(Exe64Path, kGameExe64Path)
    VELMORA_GAME_INFO_TEXT(InstallUrl, kGameInstallUrl)
    VELMORA_GAME_INFO_TEXT(Env, kGameEnv)
    VELMORA_GAME_INFO_TEXT(BIUrl, kGameBIUrl)

    // The launcher's own setters: 1, or 14011 for 256 characters or more (nothing changes).
    int SetArgument(const wchar_t* text) { return m_texts[kGameArgument].SetWide(text); }
    int SetInfoBaseURL(const wchar_t* text) { return m_infoBaseURL.SetWide(text); }

    const std::wstring& GetWide(eGameInfoText index) const { return m_texts[index].Wide(); }
    const std::wstring& GetInfoBaseURL() const { return m_infoBaseURL.Wide(); }
    bool IsLoaded() const { return m_loaded != 0; }

    // A new empty package record appended to the list; the record keeps it until it is destroyed.
    sDistributePackageInfo* AddNewDistPackageInfo();
    const std::vector<std::unique_ptr<sDistributePackageInfo>>& GetDistPackageInfos() const
    {
        return m_packages;
    }
    sLauncherProcessStatusFunction* GetLauncherProcessStatusFunctionList() { return &m_processFunctions; }

    // Empties every property and list; not loaded.
    void Reset();

private:
    const char* GetText(eGameInfoText index);
    uint32_t SetText(eGameInfoText index, const char* text, const char* operation);
    int Load(const char* data, uint32_t size, const char* operation);

    CInfoText m_texts[kGameInfoTextCount];
    CInfoText m_infoBaseURL;
    std::vector<std::unique_ptr<sDistributePackageInfo>> m_packages;
    sLauncherProcessStatusFunction m_processFunctions;
    uint8_t m_loaded = 0;
};

#undef VELMORA_GAME_INFO_TEXT
