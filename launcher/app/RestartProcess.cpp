#include "launcher/app/RestartProcess.h"

#include "zpak/message/ResultCodes.h"

int CRestartProcess::SetSettings(const sRestartSettings& settings)
{
    for (const std::wstring* text :
         {&settings.infoBaseURL, &settings.infoPath, &settings.infoFile, &settings.clientVersion,
          &settings.launcherExecutable, &settings.resourceModule, &settings.cloneExecutable,
          &settings.cloneResourceModule})
    {
        if (text->size() > kSettingChars) return ZP::kErrorBufferOverrun;
    }
    m_settings = settings;
    return ZP::kResultOk;
}
