#include "launcher/info/GameInfoManager.h"

#include "launcher/app/CurrentScript.h"
#include "launcher/app/MessageBox.h"
#include "launcher/info/GameInfo.h"
#include "platform/process/CommandLine.h"
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextCodec.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <optional>

namespace
{
// The value of "key" up to the next "|"; nothing when the key or the "|" after it is missing.
std::optional<std::wstring> HandOffItem(const std::wstring& text, const wchar_t* key)
{
    size_t at = text.find(key);
    if (at == std::wstring::npos) return std::nullopt;
    size_t start = at + std::wcslen(key);
    size_t end = text.find(L'|', start);
    if (end == std::wstring::npos) return std::nullopt;
    return text.substr(start, end - start);
}

// The hand-off: the first argument after the program, if there is one.
std::optional<std::wstring> FirstArgument()
{
    std::vector<std::wstring> arguments = platform::process::OwnArguments();
    if (arguments.size() < 2) return std::nullopt;
    return arguments[1];
}

bool HasScheme(const std::wstring& url)
{
    std::wstring upper = platform::text::ToUpper(url);
    return upper.find(L"HTTP://") != std::wstring::npos || upper.find(L"HTTPS://") != std::wstring::npos;
}
} // namespace

CDefaultGameInfoManager::CDefaultGameInfoManager() = default;

CDefaultGameInfoManager::~CDefaultGameInfoManager()
{
    Finalize();
}

int CDefaultGameInfoManager::Initialize()
{
    if (!m_gameInfo) m_gameInfo = std::make_unique<CGameInfo>();
    return 1;
}

void CDefaultGameInfoManager::Finalize()
{
    m_gameInfo.reset();
}

int CDefaultGameInfoManager::Download(const std::wstring& url)
{
    return m_downloader.DownloadGameInfo(url.c_str(), m_gameInfo.get());
}

int CDefaultGameInfoManager::PrepareGameInfoData()
{
    if (!m_gameInfo)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, "CDefaultGameInfoManager::PrepareGameInfoData");
        return ZP::kErrorInvalidPointer;
    }
    m_gameInfo->SetInfoBaseURL(m_fields[kFieldInstallBase].c_str());
    std::wstring url = m_fields[kFieldInstallBase] + m_fileName;
    ZP::LogF(L"GameInfoDataURL : %s", url.c_str());
    int r = Download(url);
    if (r != 1) ZP_LOG_ERROR(r, "CDefaultGameInfoManager::PrepareGameInfoData");
    return r;
}

int CFWLGameInfoManager::PrepareGameInfo()
{
    return PrepareFromSharedMemory();
}

int CFWLGameInfoManager::PrepareFromSharedMemory()
{
    std::wstring text;
    if (std::optional<std::wstring> argument = FirstArgument())
    {
        // The hand-off passes through the argument property: one that does not fit is not parsed.
        if (m_gameInfo && m_gameInfo->SetArgument(argument->c_str()) == 1) text = *argument;
    }
    std::optional<std::wstring> gameId = HandOffItem(text, L"GameId=");
    std::optional<std::wstring> installUrl = HandOffItem(text, L"InstallUrl=");
    if (!gameId || !installUrl)
    {
        ZP_LOG_ERROR(0, "CFWLGameInfoManager::PrepareFromSharedMemory");
        return 0;
    }
    m_fields[kFieldGameId] = *gameId;
    m_fields[kFieldFullClient] = *installUrl;
    m_siteCode = HandOffItem(text, L"SiteCode=").value_or(L"");
    m_fields[kFieldMemberNo] = HandOffItem(text, L"MemberNo=").value_or(L"");

    size_t slash = installUrl->rfind(L'/');
    if (slash == std::wstring::npos)
    {
        m_fields[kFieldInstallBase].clear();
        m_fields[kFieldInstallFile] = *installUrl;
    }
    else
    {
        m_fields[kFieldInstallBase] = installUrl->substr(0, slash + 1);
        m_fields[kFieldInstallFile] = installUrl->substr(slash + 1);
    }
    ZP::LogF(L"Current FullClient : %s", m_fields[kFieldFullClient].c_str());
    ZP::LogF(L"Current Game : %s", m_fields[kFieldGameId].c_str());
    if (!m_siteCode.empty()) ZP::LogF(L"Current SiteCode : %s", m_siteCode.c_str());
    return 1;
}

int CFWLGameInfoManager::PrepareGameInfoData()
{
    if (!m_gameInfo)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, "CFWLGameInfoManager::PrepareGameInfoData");
        return ZP::kErrorInvalidPointer;
    }
    // A second call must not put the site code in front twice.
    if (m_plainFileName.empty()) m_plainFileName = m_fileName;
    m_fileName = m_siteCode.empty() ? m_plainFileName : m_siteCode + L"_" + m_plainFileName;

    m_gameInfo->SetInfoBaseURL(m_fields[kFieldInstallBase].c_str());
    std::wstring url = m_fields[kFieldInstallBase] + m_fileName;
    ZP::LogF(L"GameInfoDataURL : %s", url.c_str());
    int r = Download(url);
    if (r != 1 && !HasScheme(url))
    {
        url = L"http://" + url;
        ZP::LogF(L"try once more to download GameInfoDataURL : %s", url.c_str());
        r = Download(url);
    }

    if (std::optional<std::wstring> argument = FirstArgument())
    {
        std::optional<std::wstring> authCode = HandOffItem(*argument, L"AuthCode=");
        if (!authCode)
        {
            ShowMessage(L"AuthCode Fail", kMessageNotice);
            return 0;
        }
        m_gameInfo->SetArgument(authCode->c_str());
    }

    if (r == 1) return 1;
    ZP_LOG_ERROR(r, "CFWLGameInfoManager::PrepareGameInfoData");
    return r;
}

int CFWLGameInfoManager::PrepareFromRegistry()
{
    std::wstring path = m_registryNames[kRegRootKey] + L"\\" + m_fields[kFieldGameId];
    ZP::LogF(L"Check Register : %s", path.c_str());
    platform::registry::Key key;
    if (!key.Open(platform::registry::eRoot::LocalMachine, path))
    {
        ZP_LOG_ERROR(0, "CFWLGameInfoManager::PrepareFromRegistry");
        return 0;
    }
    int r = GetTextFromRegistry(key, m_registryNames[kRegInstallDir].c_str(), m_fields[kFieldInstallDir]);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CFWLGameInfoManager::PrepareFromRegistry");
        return r;
    }
    r = GetTextFromRegistry(key, m_registryNames[kRegPatcher].c_str(), m_fields[kFieldPatcher]);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, "CFWLGameInfoManager::PrepareFromRegistry");
        return r;
    }
    // The argument is optional: its result is only reported.
    r = GetTextFromRegistry(key, m_registryNames[kRegArgument].c_str(), m_fields[kFieldRegArgument]);
    ZP_LOG_ERROR(r, "CFWLGameInfoManager::PrepareFromRegistry");

    ZP::LogF(L"Reg_InstallDir : %s", m_fields[kFieldInstallDir].c_str());
    ZP::LogF(L"Reg_Patcher : %s", m_fields[kFieldPatcher].c_str());
    if (!m_fields[kFieldRegArgument].empty())
        ZP::LogF(L"Reg_Argument : %s", m_fields[kFieldRegArgument].c_str());
    return 1;
}

int CFWLGameInfoManager::GetTextFromRegistry(platform::registry::Key& key, const wchar_t* name,
                                             std::wstring& out)
{
    platform::registry::sValue value;
    if (!key.GetValue(name ? name : L"", value))
    {
        ZP_LOG_ERROR(0, "CFWLGameInfoManager::GetTextFromRegistry");
        return 0;
    }
    if (value.type != platform::registry::kTypeSz) return 0;
    std::wstring text = value.AsText();
    // The stored text may carry its terminating zero; what follows it is not part of the value.
    size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    if (text.empty()) return 0;
    out = text;
    return 1;
}

uint32_t CDefaultGameInfoManager::SetRegistryRootKey_Root(const char* text)
{
    if (!text) return 0;
    std::wstring wide = platform::text::MultiByteToWide(text, CurrentScriptCodePage());
    if (wide.size() > 255) return 0;
    m_registryNames[kRegRootKey] = wide;
    return 1;
}
