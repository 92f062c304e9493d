#pragma once
#include "zpak/message/PatchSystemMessage.h"

// Adds the launcher's own codes (14091-14106) to the pak library's texts.
class CLauncherMessage : public ZP::CPatchSystemMessage
{
public:
    const wchar_t* GetMessage(int code) override;
};
