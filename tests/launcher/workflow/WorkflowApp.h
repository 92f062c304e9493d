#pragma once
// The application the workflow tests run against: the script host (current script while it lives),
// a recording window, a game information manager whose fields a test sets, the implementation under
// test, and a message box that answers as told and keeps what it showed.
#include "launcher/app/CurrentScript.h"
#include "launcher/app/MessageBox.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/patch/PatchSystemProcess.h"
#include "launcher/workflow/LauncherImplement.h"
#include "tests/support/RecordingLauncherGUI.h"
#include "tests/support/ScriptTestApp.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace workflowtest
{

class CAnsweringBox : public CGUIMessageBox
{
public:
    int Show() override
    {
        shown.push_back(GetText());
        return GetType() == kMessageYesNo ? answer : 1;
    }
    int answer = 7;
    std::vector<std::wstring> shown;
};

class CTestManager : public CFWLGameInfoManager
{
public:
    void SetField(eGameField field, const std::wstring& value) { m_fields[field] = value; }
};

// Thrown where the install check would end the process.
struct sProcessEnded
{
    int exitCode;
};

class CTestImplement : public CFWLImplement
{
protected:
    void EndProcess(int exitCode) override { throw sProcessEnded{exitCode}; }
};

class CWorkflowApp : public testsupport::CScriptTestApp
{
public:
    CWorkflowApp()
    {
        manager.Initialize();
        manager.SetConnector(this);
        implement.SetConnector(this);
        SetCurrentScript(&host);
        box = std::make_shared<CAnsweringBox>();
        InstallMessageBox(box);
    }
    ~CWorkflowApp() override
    {
        RemoveMessageBox();
        SetCurrentScript(nullptr);
        manager.Finalize();
    }

    CFWLauncherGUI* GetLauncherGUI() override { return &window; }
    CGameInfoManagerBase* GetGameInfoManager() override { return &manager; }
    CLauncherImplement* GetImplement() override { return &implement; }
    CPatchSystemProcess* GetPatchSystem() override { return patch; }

    testsupport::CRecordingLauncherGUI window;
    CTestManager manager;
    CTestImplement implement;
    CPatchSystemProcess* patch = nullptr;
    std::shared_ptr<CAnsweringBox> box;
};

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// Waits up to ten seconds for a file that another process writes; true when it appeared with content.
inline bool WaitForFile(const std::filesystem::path& path)
{
    for (int i = 0; i < 1000; ++i)
    {
        std::error_code ec;
        if (std::filesystem::exists(path, ec) && std::filesystem::file_size(path, ec) > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline void WriteProgram(const std::filesystem::path& path, const std::string& script)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << script;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
}

} // namespace workflowtest
