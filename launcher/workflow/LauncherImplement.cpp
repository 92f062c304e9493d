#include "launcher/workflow/LauncherImplement.h"

CDefaultLauncherImplement::CDefaultLauncherImplement() = default;

CDefaultLauncherImplement::~CDefaultLauncherImplement()
{
    Finalize();
}

int CDefaultLauncherImplement::Initialize()
{
    return 1;
}

void CDefaultLauncherImplement::Finalize()
{
    for (std::string& name : m_optionFunctions)
        name.clear();
}

void CDefaultLauncherImplement::SetDoOptionFunction(uint32_t index, const char* name)
{
    if (index >= kOptionCount) return;
    Assign(m_optionFunctions[index], name);
}

const std::string& CDefaultLauncherImplement::GetDoOptionFunction(uint32_t index) const
{
    static const std::string none;
    return index < kOptionCount ? m_optionFunctions[index] : none;
}

uint32_t CDefaultLauncherImplement::DoApplication_Default()
{
    return 0;
}

uint32_t CDefaultLauncherImplement::InstallApplication_Default()
{
    return 0;
}

uint32_t CDefaultLauncherImplement::DownloadInstallFile(const char* url, const char* localPath)
{
    return 0;
}
