#pragma once
// The launcher window: version, status and current-file texts, two progress bars, three option
// check boxes and four buttons on the toolkit-neutral window model; the back end decides how the
// user sees them. It runs modally for the life of the launcher, starts the updater when it opens,
// takes texts and progress from any thread, starts the game and ends the launcher.
#include "launcher/gui/LauncherGUI.h"
#include "launcher/gui/LauncherWindowLinks.h"
#include "launcher/gui/WindowPositions.h"
#include "platform/ui/Window.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CDefaultGUISetup;

// Control ids.
constexpr int kIdStartButton = 1025;
constexpr int kIdGameStartButton = 1026;
constexpr int kIdCloseButton = 1027;
constexpr int kIdMinimizeButton = 1028;
constexpr int kIdCheckBox1 = 1029;
constexpr int kIdCheckBox2 = 1030;
constexpr int kIdCheckBox3 = 1031;
constexpr int kIdNoticeBrowser = 1032;
constexpr int kIdTotalBar = 1033;
constexpr int kIdFileBar = 1034;
constexpr int kIdVersionText = 1035;
constexpr int kIdStatusText = 1036;
constexpr int kIdCurrentFileText = 1037;

// A game start this long after the window was made is refused: the authentication has expired.
constexpr int64_t kAuthenticationSeconds = 3600;

class CFWLauncherDialog : public CFWLauncherGUI
{
public:
    // Seconds since 1970.
    using Clock = std::function<int64_t()>;

    // The clock is read once here (the creation time) and again at each game start.
    CFWLauncherDialog(std::shared_ptr<platform::ui::IWindowBackend> backend, Clock clock = {});
    ~CFWLauncherDialog() override;

    // Set before the window opens.
    void SetTitle(const std::wstring& title) { m_title = title; }
    void SetLinks(ILauncherWindowLinks* links) { m_links = links; }
    void SetGUISetup(CDefaultGUISetup* setup) { m_setup = setup; }
    void SetPositionSource(IWindowPositionSource* source) { m_positions = source; }
    // Default: "Setting" beside the running executable.
    void SetSettingsFilePath(const std::wstring& path) { m_settingsPath = path; }

    // Opens the window and runs it until it closes; 1 (OK).
    int DoModal();

    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }

    int InitializeGUI() override;
    void FinalizeGUI() override;
    bool GetWindowPosition(sGUIPoint& out) override;
    bool GetWindowRect(sGUIRect& out) override;
    void ShowLauncher(bool show) override;
    bool IsLauncherVisible() override { return GetShowState() == platform::ui::kShowNormal; }
    void ResetProgress(uint16_t index) override { SetProgress(index, 0); }
    void SetProgress(uint16_t index, int percent) override;
    void SetTextFromStringTable(uint16_t index, unsigned entry) override;
    void SetText(uint16_t index, const wchar_t* text) override;
    void ShowButton(uint16_t index, bool show) override;
    void SetCheckBoxText(uint16_t index, const wchar_t* text) override;
    void SetCheckBoxCheck(uint16_t index, bool check) override;
    bool GetCheckBoxCheck(uint16_t index) override;
    void CloseLauncher() override { m_window.PostClose(); }
    void* GetLauncherWindow() override { return &m_window; }
    void SetShowState(int state) override;
    int GetShowState() override { return m_window.GetShowState(); }
    void OnPatchFinished(int result) override;
    void SendActionReport(const char* actionCode) override { SendReport(actionCode, "1"); }
    void SetCloseLock(int lock) override { m_closeLock = lock; }

    platform::ui::CWindow& Window() { return m_window; }
    int64_t CreationTime() const { return m_creationTime; }

    // The window's commands, as its buttons give them.
    void OnStartButton();
    void OnGameStartButton();
    void OnCloseButton();
    void OnMinimizeButton() { SetShowState(platform::ui::kShowMinimized); }
    void OnCheckBox3();

protected:
    // Sends an action report when the game information record exists.
    virtual void SendReport(const std::string& actionCode, const std::string& flag);

private:
    void OnInitDialog();
    int InitializeLauncherResource();
    int InitializePositionResource();
    int InitializeWebBrowserResource();
    int InitializeStaticTextResource();
    int InitializeButtonResource();
    int InitializeProgressBarResource();
    int InitializeCheckBox();
    void ApplyOptions();
    void OnCommand(int id);
    // False when the position is unknown.
    bool AddControl(const wchar_t* position, int id, platform::ui::eControlKind kind,
                    platform::ui::eControlRole role, const std::wstring& text);
    std::wstring SettingsFilePath() const;

    platform::ui::CWindow m_window;
    Clock m_clock;
    int64_t m_creationTime = 0;
    std::wstring m_title = L"VelmoraLauncher";
    CObjectConnector* m_connector = nullptr;
    ILauncherWindowLinks* m_links = nullptr;
    CDefaultGUISetup* m_setup = nullptr;
    IWindowPositionSource* m_positions = nullptr;
    WindowPositionTable m_table;
    std::wstring m_settingsPath;
    std::atomic<int> m_closeLock{0};
};

// The class the application creates.
class CFWLauncherDialogEx : public CFWLauncherDialog
{
public:
    using CFWLauncherDialog::CFWLauncherDialog;
};
