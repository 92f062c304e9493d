#include "launcher/info/GameInfo.h"

#include "launcher/app/CurrentScript.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

CGameInfo::CGameInfo()
{
    Reset();
}

CGameInfo::~CGameInfo()
{
    Reset();
}

void CGameInfo::Reset()
{
    for (CInfoText& text : m_texts)
        text.Clear();
    m_infoBaseURL.Clear();
    m_packages.clear();
    m_processFunctions.Clear();
    m_loaded = 0;
}

const char* CGameInfo::GetText(eGameInfoText index)
{
    return m_texts[index].GetNarrow(CurrentScriptCodePage());
}

uint32_t CGameInfo::SetText(eGameInfoText index, const char* text, const char* operation)
{
    if (m_texts[index].SetNarrow(text, CurrentScriptCodePage())) return 1;
    if (text) ZP_LOG_ERROR(ZP::kErrorBufferOverrun, operation);
    return 0;
}

int CGameInfo::Load(const char* data, uint32_t size, const char* operation)
{
    int r = CheckMemory(data, size);
    if (r != 1)
    {
        ZP_LOG_ERROR(r, operation);
        return r;
    }
    IScriptRunner* script = GetCurrentScript();
    // Without a script host nothing fills the record: it must not count as loaded.
    if (!script)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, operation);
        return ZP::kErrorInvalidPointer;
    }
    script->RunScriptBuffer(data, size);
    m_loaded = 1;
    return 1;
}

int CGameInfo::LoadInfoFromMemoryA(const char* data, uint32_t size)
{
    return Load(data, size, "CGameInfo::LoadInfoFromMemoryA");
}

int CGameInfo::LoadInfoFromMemory(const char* data, uint32_t size)
{
    return Load(data, size, "CGameInfo::LoadInfoFromMemory");
}

sDistributePackageInfo* CGameInfo::AddNewDistPackageInfo()
{
    m_packages.push_back(std::make_unique<sDistributePackageInfo>());
    return m_packages.back().get();
}
