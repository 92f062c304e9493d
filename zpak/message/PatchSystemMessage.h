#pragma once
// Result codes to Korean texts, and the process-wide message provider every module asks.

namespace ZP
{

extern const wchar_t* const kUnknownErrorText; // "알수없는 Error"

class CPatchSystemMessage
{
public:
    virtual ~CPatchSystemMessage() = default;
    // The text lives as long as the program. Never fails.
    virtual const wchar_t* GetMessage(int code);
};

// The current provider; the default one is created on first use.
CPatchSystemMessage* GetMessageProvider();
void SetMessageProvider(CPatchSystemMessage* provider);
// Makes the default current again and returns the provider that was current (the caller deletes it);
// null when the default itself was current.
CPatchSystemMessage* RestoreDefaultMessageProvider();
const wchar_t* GetMessageText(int code);

} // namespace ZP
