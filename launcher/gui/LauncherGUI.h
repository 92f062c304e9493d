#pragma once
// The launcher window's interface as the workflow, the updater and the patch run see it: texts,
// two progress bars, buttons, check boxes, show state, closing and the window's action reports.
// Callers may be on any thread; each implementation takes care of its toolkit's rules.
#include "launcher/app/Components.h"

#include <cstdint>

class CGUIBase
{
public:
    virtual ~CGUIBase() = default;
};

struct sGUIPoint
{
    int x = 0;
    int y = 0;
};

struct sGUIRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Indexes of the window's controls.
constexpr uint16_t kTextVersion = 0;
constexpr uint16_t kTextStatus = 1;
constexpr uint16_t kTextCurrentFile = 2;
constexpr uint16_t kBarTotal = 0;
constexpr uint16_t kBarCurrentFile = 1;

class CFWLauncherGUI : public CGUIBase, public IAbsInitializer, public CObjectConnectorReceiver
{
public:
    virtual int InitializeGUI() = 0;
    virtual void FinalizeGUI() = 0;
    virtual void Unused3(int) {}
    virtual bool GetWindowPosition(sGUIPoint& out) = 0;
    virtual void Unused5(int) {}
    virtual bool GetWindowRect(sGUIRect& out) = 0;
    virtual void ShowLauncher(bool show) = 0;
    virtual bool IsLauncherVisible() = 0;
    virtual void ResetProgress(uint16_t index) = 0;
    virtual void SetProgress(uint16_t index, int percent) = 0;
    virtual void SetTextFromStringTable(uint16_t index, unsigned entry) = 0;
    virtual void SetText(uint16_t index, const wchar_t* text) = 0;
    virtual void ShowButton(uint16_t index, bool show) = 0;
    virtual void SetCheckBoxText(uint16_t index, const wchar_t* text) = 0;
    virtual void SetCheckBoxCheck(uint16_t index, bool check) = 0;
    virtual bool GetCheckBoxCheck(uint16_t index) = 0;
    virtual void CloseLauncher() = 0;
    virtual void* GetLauncherWindow() = 0;
    virtual void SetShowState(int state) = 0;
    virtual int GetShowState() = 0;
    virtual void OnPatchFinished(int result) = 0;
    virtual void SendActionReport(const char* actionCode) = 0;
    virtual void SetCloseLock(int lock) = 0;
};
