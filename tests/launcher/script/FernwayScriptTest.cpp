// The launcher program's script host: the hand-off getters and the game information manager, the
// GUI setup and the window as the script reaches them, shortcuts, the version name and the install
// dialog.
#include "launcher/app/GUISetupAccess.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/script/FernwayLauncherGlobalFunction.h"
#include "launcher/script/FernwayLauncherScript.h"
#include "launcher/script/WindowsOSVersion.h"
#include "platform/text/TextCodec.h"
#include "tests/support/RecordingLauncherGUI.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
constexpr const char* kBom = "\xEF\xBB\xBF";

class CHandOffManager : public CFWLGameInfoManager
{
public:
    void SetField(eGameField field, const std::wstring& value) { m_fields[field] = value; }
};

class CRecordingSetup : public IGUISetupSettings
{
public:
    void SetSetupText(eGUISetupText field, const std::wstring& text) override { texts[field] = text; }
    void SetDefaultFontSize(int size) override { fontSize = size; }
    std::map<eGUISetupText, std::wstring> texts;
    int fontSize = 8;
};

// The host with a window, a manager and (when setup is given) a GUI setup.
class CFernwayApp : public testsupport::CScriptTestAppOf<CFernwayLauncherScript>, public IGUISetupProvider
{
public:
    CFWLauncherGUI* GetLauncherGUI() override { return &window; }
    CGameInfoManagerBase* GetGameInfoManager() override { return withManager ? &manager : nullptr; }
    IGUISetupSettings* GetGUISetupSettings() override { return withSetup ? &setup : nullptr; }

    testsupport::CRecordingLauncherGUI window;
    CHandOffManager manager;
    CRecordingSetup setup;
    bool withManager = true;
    bool withSetup = true;
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}
} // namespace

TEST(FernwayScript, HandOffGettersAndTheRegistryRootKey)
{
    CFernwayApp app;
    ASSERT_EQ(app.m_initialized, 1);
    app.manager.SetField(kFieldGameId, L"vel");
    app.manager.SetField(kFieldInstallBase, L"http://portal/setup/");
    app.manager.SetField(kFieldInstallFile, L"VelmoraSetup.exe");
    app.manager.SetField(kFieldInstallDir, L"/games/벨모라");
    app.manager.SetField(kFieldPatcher, L"Patcher");
    app.manager.SetField(kFieldRegArgument, L"-fast");
    app.manager.SetRegistryName(kRegRootKey, L"SOFTWARE\\Quillmark");
    app.Run(std::string(kBom) +
            "local s = LauncherScriptObject\n"
            "id, base, file = s:GetGameID(), s:GetGameInstallURL(), s:GetGameInstallFile()\n"
            "dir, patcher, arg, root = s:GetClientPath(), s:GetClientPatcherName(), s:GetClientArgument(), "
            "s:GetRegistryRootKey()\n"
            "set = s:GetGameInfoManager():SetRegistryRootKey_Root('SOFTWARE\\\\Other')\n"
            "root2 = s:GetRegistryRootKey()\n");
    EXPECT_EQ(app.alerts, std::vector<std::string>{});
    EXPECT_EQ(app.Global("id"), "vel");
    EXPECT_EQ(app.Global("base"), "http://portal/setup/");
    EXPECT_EQ(app.Global("file"), "VelmoraSetup.exe");
    EXPECT_EQ(app.Global("dir"), "/games/벨모라");
    EXPECT_EQ(app.Global("patcher"), "Patcher");
    EXPECT_EQ(app.Global("arg"), "-fast");
    EXPECT_EQ(app.Global("root"), "SOFTWARE\\Quillmark");
    EXPECT_EQ(app.Global("set"), "1");
    EXPECT_EQ(app.Global("root2"), "SOFTWARE\\Other");

    app.withManager = false;
    app.withSetup = false;
    app.Run("manager = LauncherScriptObject:GetGameInfoManager()\n"
            "setup = LauncherScriptObject:GetLauncherGUISetup()\n"
            "id = LauncherScriptObject:GetGameID()\n");
    EXPECT_EQ(app.Global("manager"), "nil");
    EXPECT_EQ(app.Global("setup"), "nil");
    EXPECT_EQ(app.Global("id"), "");
}

TEST(FernwayScript, GuiSetupAndWindowReceiveConvertedTexts)
{
    CFernwayApp app;
    app.Run(std::string(kBom) + "local setup = LauncherScriptObject:GetLauncherGUISetup()\n"
                                "setup:SetImageForGameArea('game.bmp')\n"
                                "setup:SetCheckBoxText_01('바로가기')\n"
                                "setup:SetShortcutURL('http://portal/velmora')\n"
                                "setup:SetNoticeURL('http://portal/notice')\n"
                                "setup:SetDefaultFontSize(11)\n"
                                "local gui = LauncherScriptObject:GetLauncherGUI()\n"
                                "gui:SetPosition_TotalFileProgress(30)\n"
                                "gui:SetPosition_CurrentFileProgress(70)\n"
                                "gui:SetText_StatusText('패치 중')\n"
                                "gui:SetText_FileText('Data/a.pak')\n"
                                "gui:SetText_CheckBox(1, '시작페이지')\n"
                                "gui:SetCheck_CheckBox(2, true)\n");
    EXPECT_EQ(app.alerts, std::vector<std::string>{});
    EXPECT_EQ(app.setup.texts.size(), 3u) << "SetImageForGameArea changes nothing";
    EXPECT_EQ(app.setup.texts[kSetupCheckBoxText01], L"바로가기");
    EXPECT_EQ(app.setup.texts[kSetupShortcutURL], L"http://portal/velmora");
    EXPECT_EQ(app.setup.texts[kSetupNoticeURL], L"http://portal/notice");
    EXPECT_EQ(app.setup.fontSize, 11);
    EXPECT_EQ(app.window.bars[0], std::vector<int>{30});
    EXPECT_EQ(app.window.bars[1], std::vector<int>{70});
    EXPECT_EQ(app.window.texts[1], std::vector<std::wstring>{L"패치 중"});
    EXPECT_EQ(app.window.texts[2], std::vector<std::wstring>{L"Data/a.pak"});
    EXPECT_EQ(app.window.checkTexts[1], L"시작페이지");
    EXPECT_TRUE(app.window.checks[2]);
}

TEST(FernwayScript, ShortcutsAreDesktopEntries)
{
    testsupport::TempDir dir;
    testsupport::ScopedEnv home("HOME", dir.NativePath());
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    fs::create_directories(fs::path(dir.NativePath()) / "Desktop");
    const std::string links = dir.NativePath() + "/links";
    fs::create_directories(links);
    CFernwayApp app;
    app.Run(std::string(kBom) + testsupport::kGlobalFunctionPrelude +
            "file_ok = gf:CreateFileShortcut('/opt/velmora/My Game', '" + links +
            "/Game.lnk', '/opt/velmora/icon.png', 0)\n"
            "url_ok = gf:CreateURLShortcut('http://portal/velmora?a=1', '벨모라.url', '', 0)\n"
            "bad = gf:CreateURLShortcut('http://portal', '" +
            links + "/missing/x.url', '', 0)\n");
    EXPECT_EQ(app.alerts, std::vector<std::string>{});
    EXPECT_EQ(app.Global("file_ok"), "true");
    EXPECT_EQ(app.Global("url_ok"), "true");
    EXPECT_EQ(app.Global("bad"), "false");
    EXPECT_TRUE(app.Logged(L"CFernwayLauncherGlobalFunction::CreateURLShortcut, Line : 274"));

    std::string file = Slurp(links + "/Game.desktop");
    EXPECT_NE(file.find("Type=Application\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Exec=\"/opt/velmora/My Game\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Icon=/opt/velmora/icon.png\n"), std::string::npos) << file;
    std::string url = Slurp(fs::path(dir.NativePath()) / "Desktop" / "벨모라.desktop");
    EXPECT_NE(url.find("Type=Link\n"), std::string::npos) << url;
    EXPECT_NE(url.find("URL=http://portal/velmora?a=1\n"), std::string::npos) << url;
    EXPECT_NE(url.find("Name=벨모라\n"), std::string::npos) << url;
}

TEST(FernwayScript, VersionNamesFromTheSystemRecord)
{
    using platform::sysinfo::sSystemVersion;
    struct
    {
        sSystemVersion version;
        const char* name;
    } cases[] = {
        {{.ntFamily = true, .major = 6, .minor = 1, .productType = 1}, "Windows7"},
        {{.ntFamily = true, .major = 6, .minor = 1, .productType = 3}, "WindowsServer2008R2"},
        {{.ntFamily = true, .major = 6, .minor = 2, .productType = 1}, "Windows8"},
        {{.ntFamily = true, .major = 6, .minor = 2, .productType = 3}, "UnknownWindows"},
        {{.ntFamily = true, .major = 10, .minor = 0, .productType = 1}, "UnknownWindows"},
        {{.ntFamily = true, .major = 5, .minor = 2, .suiteMask = 0x4000}, "WindowsServer2003"},
        {{.ntFamily = true, .major = 5, .minor = 2, .suiteMask = 0x4002}, "WindowsXPProx64"},
        {{.ntFamily = true, .major = 5, .minor = 2, .serverR2 = true}, "WindowsServer2003R2"},
        {{.ntFamily = false, .major = 6, .minor = 1, .productType = 1}, "UnknownWindows"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(IWindowsOSVersion::IndexName(IWindowsOSVersion::Classify(c.version)), c.name)
            << c.version.major << "." << c.version.minor;

    // This system is not of that family, whatever its kernel's numbers.
    CFernwayApp app;
    app.Run(std::string(testsupport::kGlobalFunctionPrelude) + "name = gf:GetWindowsOSVersionString()\n");
    EXPECT_EQ(app.Global("name"), "UnknownWindows");
    EXPECT_TRUE(app.Logged(L"Current Windows Version : Major("));
    EXPECT_TRUE(app.Logged(L"GetWindowsOSVersionString : UnknownWindows"));
}

namespace
{
// An install dialog that agrees with a folder of the test's choosing and flips the options.
class CAgreeingGlobalFunction : public CFernwayLauncherGlobalFunction
{
public:
    static inline std::wstring folder;
    static inline sInstallDialogRequest seen;

protected:
    bool RunInstallDialog(sInstallDialogRequest& request) override
    {
        seen = request;
        if (folder.empty()) return false;
        request.folder = folder;
        for (bool& option : request.options)
            option = !option;
        return true;
    }
};

class CAgreeingScript : public CFernwayLauncherScript
{
protected:
    std::unique_ptr<CGlobalFunctionForScript> CreateGlobalFunction() override
    {
        return std::make_unique<CAgreeingGlobalFunction>();
    }
};

class CDialogApp : public testsupport::CScriptTestAppOf<CAgreeingScript>
{
public:
    CFWLauncherGUI* GetLauncherGUI() override { return &window; }
    CGameInfoManagerBase* GetGameInfoManager() override { return &manager; }
    testsupport::CRecordingLauncherGUI window;
    CHandOffManager manager;
};
} // namespace

TEST(FernwayScript, InstallDialogCreatesTheChosenFolderAndHandsBackTheOptions)
{
    testsupport::TempDir dir;
    CDialogApp app;
    app.manager.SetRegistryName(kRegProduct, L"Velmora");
    app.manager.SetField(kFieldGameId, L"vel");
    app.window.checks[0] = true;

    CAgreeingGlobalFunction::folder = dir.Path() + L"/Games/Velmora/vel";
    app.Run(std::string(testsupport::kGlobalFunctionPrelude) +
            "nothing = gf:ShowSelectPath_Terms_Dialog('/games', 100, nil)\n"
            "chosen = gf:ShowSelectPath_Terms_Dialog('/games', 1048576, 'http://portal/terms')\n");
    EXPECT_EQ(app.Global("nothing"), "nil") << "a missing text shows no dialog";
    EXPECT_EQ(app.Global("chosen"), platform::text::WideToUtf8(CAgreeingGlobalFunction::folder));
    EXPECT_TRUE(fs::is_directory(fs::path(platform::text::WideToUtf8(CAgreeingGlobalFunction::folder))));
    EXPECT_EQ(CAgreeingGlobalFunction::seen.folderSuffix, L"Velmora\\vel");
    EXPECT_EQ(CAgreeingGlobalFunction::seen.requiredBytes, 1048576u);
    EXPECT_EQ(CAgreeingGlobalFunction::seen.termsSource, L"http://portal/terms");
    EXPECT_TRUE(CAgreeingGlobalFunction::seen.options[0]) << "the window's check boxes go into the dialog";
    EXPECT_FALSE(app.window.checks[0]) << "and the dialog's come back";
    EXPECT_TRUE(app.window.checks[1]);

    CAgreeingGlobalFunction::folder.clear();
    app.Run(std::string(testsupport::kGlobalFunctionPrelude) +
            "cancelled = gf:ShowSelectPath_Terms_Dialog('/games', 1, 'terms')\n");
    EXPECT_EQ(app.Global("cancelled"), "nil");
}
