#pragma once
// A launcher window that only records what the workflow and the script ask of it: texts (string-table
// entries as "#<entry>"), progress values in order, show states, check boxes, action reports, close
// requests, the close lock and the updater's end. Safe to call from any thread.
#include "launcher/gui/LauncherGUI.h"

#include <mutex>
#include <string>
#include <vector>

namespace testsupport
{

class CRecordingLauncherGUI : public CFWLauncherGUI
{
public:
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector*) override {}
    int InitializeGUI() override { return 1; }
    void FinalizeGUI() override {}
    bool GetWindowPosition(sGUIPoint&) override { return false; }
    bool GetWindowRect(sGUIRect&) override { return false; }
    void ShowLauncher(bool show) override { SetShowState(show ? 1 : 0); }
    bool IsLauncherVisible() override { return GetShowState() == 1; }
    void ResetProgress(uint16_t index) override { SetProgress(index, 0); }
    void SetProgress(uint16_t index, int percent) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (index < 2) bars[index].push_back(percent);
    }
    void SetTextFromStringTable(uint16_t index, unsigned entry) override
    {
        SetText(index, (L"#" + std::to_wstring(entry)).c_str());
    }
    void SetText(uint16_t index, const wchar_t* text) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (index < 3) texts[index].push_back(text ? text : L"");
    }
    void ShowButton(uint16_t, bool) override {}
    void SetCheckBoxText(uint16_t index, const wchar_t* text) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (index < 3) checkTexts[index] = text ? text : L"";
    }
    void SetCheckBoxCheck(uint16_t index, bool check) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (index < 3) checks[index] = check;
    }
    bool GetCheckBoxCheck(uint16_t index) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return index < 3 && checks[index];
    }
    void CloseLauncher() override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        ++closeRequests;
    }
    void* GetLauncherWindow() override { return nullptr; }
    void SetShowState(int state) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        showStates.push_back(state);
    }
    int GetShowState() override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return showStates.empty() ? 1 : showStates.back();
    }
    void OnPatchFinished(int result) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        patchResults.push_back(result);
    }
    void SendActionReport(const char* actionCode) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        reports.push_back(actionCode ? actionCode : "");
    }
    void SetCloseLock(int lock) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        closeLock = lock;
    }

    std::vector<std::wstring> texts[3];
    std::wstring checkTexts[3];
    bool checks[3] = {false, false, false};
    std::vector<int> bars[2];
    std::vector<int> showStates;
    std::vector<std::string> reports;
    std::vector<int> patchResults;
    int closeRequests = 0;
    int closeLock = 0;

private:
    std::mutex m_lock;
};

} // namespace testsupport
