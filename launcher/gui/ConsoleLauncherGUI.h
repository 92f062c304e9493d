#pragma once
// The launcher window's interface on a terminal: status texts as lines, the two progress bars and
// the current file on one line (redrawn in place on a terminal, one line per step of ten percent
// otherwise). Used headless and by the tools; keeps every value for callers and tests to read.
#include "launcher/gui/LauncherGUI.h"

#include <cstdio>
#include <mutex>
#include <string>

class CConsoleLauncherGUI : public CFWLauncherGUI
{
public:
    explicit CConsoleLauncherGUI(std::FILE* out = stderr);

    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }

    int InitializeGUI() override { return 1; }
    void FinalizeGUI() override;
    bool GetWindowPosition(sGUIPoint& out) override;
    bool GetWindowRect(sGUIRect& out) override;
    void ShowLauncher(bool show) override { SetShowState(show ? 1 : 0); }
    bool IsLauncherVisible() override { return GetShowState() == 1; }
    void ResetProgress(uint16_t index) override { SetProgress(index, 0); }
    void SetProgress(uint16_t index, int percent) override;
    void SetTextFromStringTable(uint16_t index, unsigned entry) override;
    void SetText(uint16_t index, const wchar_t* text) override;
    void ShowButton(uint16_t index, bool show) override;
    void SetCheckBoxText(uint16_t index, const wchar_t* text) override;
    void SetCheckBoxCheck(uint16_t index, bool check) override;
    bool GetCheckBoxCheck(uint16_t index) override;
    void CloseLauncher() override;
    void* GetLauncherWindow() override { return nullptr; }
    void SetShowState(int state) override;
    int GetShowState() override;
    void OnPatchFinished(int result) override;
    void SendActionReport(const char* actionCode) override;
    void SetCloseLock(int lock) override;

    std::wstring Text(uint16_t index);
    int Progress(uint16_t index);
    bool IsCloseRequested();
    int PatchResult();

private:
    void DrawBars();

    std::FILE* m_out;
    bool m_terminal;
    CObjectConnector* m_connector = nullptr;
    std::mutex m_lock;
    std::wstring m_texts[3];
    std::wstring m_checkTexts[3];
    bool m_checks[3] = {false, false, false};
    bool m_buttons[4] = {true, false, true, true};
    int m_bars[2] = {0, 0};
    int m_lastDrawn[2] = {-1, -1};
    int m_showState = 1;
    int m_closeLock = 0;
    bool m_closeRequested = false;
    bool m_lineOpen = false;
    int m_patchResult = 0;
};
