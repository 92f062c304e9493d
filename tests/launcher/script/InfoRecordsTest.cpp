// The information records and the launcher objects as the launcher script sees them.
#include "launcher/app/MessageBox.h"
#include "launcher/app/RestartProcess.h"
#include "launcher/gui/ConsoleLauncherGUI.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/workflow/LauncherImplement.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScopedValue.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"
#include "zpak/message/ResultCodes.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
class CTestRestartProcess : public CRestartProcess
{
public:
    int Initialize() override { return 1; }
    void Finalize() override {}
    void SetConnector(CObjectConnector*) override {}
    CLauncherInfo* GetLauncherInfo() override { return &info; }
    CLauncherInfo info;
};

// The script test application with the components the launcher objects reach.
class CRecordsApp : public testsupport::CScriptTestApp
{
public:
    CRecordsApp()
    {
        manager.Initialize();
        SetCurrentScript(&host);
    }
    ~CRecordsApp() override
    {
        SetCurrentScript(nullptr);
        manager.Finalize();
    }
    CRestartProcess* GetRestartProcess() override { return &restart; }
    CGameInfoManagerBase* GetGameInfoManager() override { return &manager; }
    CLauncherImplement* GetImplement() override { return implement; }

    CGameInfo& Game() { return *manager.GetGameInfo(); }

    CFWLGameInfoManager manager;
    CTestRestartProcess restart;
    CLauncherImplement* implement = nullptr;
};

class CRecordingBox : public CGUIMessageBox
{
public:
    int Show() override
    {
        shown.emplace_back(GetText(), GetType());
        return 1;
    }
    std::vector<std::pair<std::wstring, unsigned>> shown;
};

const char* const kProperties[] = {
    "ServerURL",         "PakDir",    "PakName",   "ExeFileName", "Argument", "GameVersion",
    "DefaultWebAddress", "Exe32Path", "Exe64Path", "InstallUrl",  "Env",      "BIUrl"};
} // namespace

TEST(GameInfoScript, EveryPropertyKeepsItsOwnTextAndSettersAnswerWhetherTheyStored)
{
    CRecordsApp app;
    // Each property gets a distinct text; reading all back shows no two share a field.
    std::string chunk = "gi = LauncherScriptObject:GetGameInfo()\nresults = ''\n";
    for (const char* p : kProperties)
        chunk += std::string("results = results .. gi:Set") + p + "('v-" + p + "')\n";
    chunk += "back = ''\n";
    for (const char* p : kProperties)
        chunk += std::string("back = back .. gi:Get") + p + "() .. ';'\n";
    chunk += "empty = gi:SetServerURL('') .. '[' .. gi:GetServerURL() .. ']'\n"
             "nilset = gi:SetPakDir(nil) .. gi:GetPakDir()\n"
             "long = gi:SetPakName(string.rep('x', 256)) .. gi:GetPakName()\n"
             "fits = gi:SetExe32Path(string.rep('y', 255))\n";
    app.Run(chunk);
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    EXPECT_EQ(app.Global("results"), "111111111111");
    std::string expected;
    for (const char* p : kProperties)
        expected += std::string("v-") + p + ";";
    EXPECT_EQ(app.Global("back"), expected);
    EXPECT_EQ(app.Global("empty"), "1[]");
    EXPECT_EQ(app.Global("nilset"), "0v-PakDir") << "nil stores nothing";
    EXPECT_EQ(app.Global("long"), "0v-PakName") << "256 characters are refused whole";
    EXPECT_EQ(app.Global("fits"), "1");
    EXPECT_EQ(app.Game().GetWide(kGameExe32Path), std::wstring(255, L'y'));
    EXPECT_EQ(app.Game().GetWide(kGameBIUrl), L"v-BIUrl");
}

TEST(GameInfoScript, NarrowCopiesFollowTheCodePageOfTheLastChunk)
{
    CRecordsApp app;
    const std::wstring env = L"라이브 서버";
    std::string utf8 = platform::text::WideToUtf8(env);
    std::string cp949 = platform::text::WideToMultiByte(env, 949);
    ASSERT_NE(utf8, cp949);

    app.Run("\xEF\xBB\xBF"
            "LauncherScriptObject:GetGameInfo():SetEnv('" +
            utf8 + "')\n");
    EXPECT_EQ(app.Game().GetWide(kGameEnv), env);
    EXPECT_EQ(app.Game().GetEnv(), utf8);

    // A chunk without a byte-order mark: the same wide text now reads in CP949, and CP949 texts
    // from the script convert back to the same wide text.
    app.Run("got = LauncherScriptObject:GetGameInfo():GetEnv()\n"
            "LauncherScriptObject:GetGameInfo():SetPakDir('" +
            cp949 + "')\n");
    EXPECT_EQ(app.Global("got"), cp949);
    EXPECT_EQ(app.Game().GetWide(kGamePakDir), env);
    EXPECT_EQ(app.Game().GetEnv(), cp949);
}

TEST(GameInfoRecord, LoadChecksTheBufferAndCountsAnyRunAsLoaded)
{
    CRecordsApp app;
    CGameInfo& game = app.Game();
    EXPECT_EQ(game.LoadInfoFromMemory(nullptr, 4), ZP::kErrorInvalidPointer);
    EXPECT_EQ(game.LoadInfoFromMemoryA("x", 0), ZP::kErrorDataSize);
    EXPECT_FALSE(game.IsLoaded());

    EXPECT_EQ(game.LoadInfoFromMemory("=", 1), 1);
    EXPECT_TRUE(game.IsLoaded()) << "a chunk that does not compile still counts as loaded";
    ASSERT_EQ(app.alerts.size(), 1u);

    // Without a script host nothing could have filled a record.
    CGameInfo alone;
    SetCurrentScript(nullptr);
    EXPECT_EQ(alone.LoadInfoFromMemory("x = 1", 5), ZP::kErrorInvalidPointer);
    EXPECT_FALSE(alone.IsLoaded());
}

TEST(GameInfoRecord, WideSettersTakeAtMost255Characters)
{
    CGameInfo game;
    EXPECT_EQ(game.SetArgument(std::wstring(255, L'a').c_str()), 1);
    EXPECT_EQ(game.SetArgument(std::wstring(256, L'b').c_str()), ZP::kErrorBufferOverrun);
    EXPECT_EQ(game.GetWide(kGameArgument), std::wstring(255, L'a'));
    EXPECT_EQ(game.SetInfoBaseURL(std::wstring(256, L'c').c_str()), ZP::kErrorBufferOverrun);
    EXPECT_EQ(game.GetInfoBaseURL(), L"");
    CLauncherInfo launcher;
    EXPECT_EQ(launcher.SetCurrentPath(std::wstring(256, L'd').c_str()), ZP::kErrorBufferOverrun);
    EXPECT_EQ(launcher.SetCurrentPath(L"/opt/velmora/"), 1);
    EXPECT_EQ(launcher.GetCurrentPath(), L"/opt/velmora/");
}

TEST(GameInfoScript, PackagesAreDistinctRecordsAndProcessFunctionsAreNamed)
{
    CRecordsApp app;
    app.Run("gi = LauncherScriptObject:GetGameInfo()\n"
            "a = gi:AddNewDistPackageInfo()\n"
            "b = gi:AddNewDistPackageInfo()\n"
            "fresh = tostring(b.strInstallFileURL)\n"
            "a.strInstallFileURL = 'http://h/a.exe'\n"
            "b.strInstallFileURL = 'http://h/b.exe'\n"
            "b.strCustomCheckFunctionName = 'HasB'\n"
            "f = gi:GetLauncherProcessStatusFunctionList()\n"
            "f.strFunction_Patcher = 'AllowPatcher'\n"
            "same = tostring(f.strFunction_Patcher == "
            "gi:GetLauncherProcessStatusFunctionList().strFunction_Patcher)\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    EXPECT_EQ(app.Global("fresh"), "nil");
    EXPECT_EQ(app.Global("same"), "true");
    const auto& packages = app.Game().GetDistPackageInfos();
    ASSERT_EQ(packages.size(), 2u);
    EXPECT_STREQ(packages[0]->strInstallFileURL.c_str(), "http://h/a.exe");
    EXPECT_EQ(packages[0]->strCustomCheckFunctionName.c_str(), nullptr);
    EXPECT_STREQ(packages[1]->strInstallFileURL.c_str(), "http://h/b.exe");
    EXPECT_STREQ(packages[1]->strCustomCheckFunctionName.c_str(), "HasB");
    const sLauncherProcessStatusFunction* f = app.Game().GetLauncherProcessStatusFunctionList();
    EXPECT_STREQ(f->strFunction_Patcher.c_str(), "AllowPatcher");
    EXPECT_FALSE(f->strFunction_LauncherSameGame.is_set());

    app.Game().Reset();
    EXPECT_TRUE(app.Game().GetDistPackageInfos().empty());
    EXPECT_FALSE(f->strFunction_Patcher.is_set());
}

TEST(LauncherInfoScript, DefaultsSettersAndTheRootPath)
{
    CRecordsApp app;
    app.restart.info.SetCurrentPath(L"/opt/벨모라/");
    app.Run("li = LauncherScriptObject:GetLauncherInfo()\n"
            "before = li:GetLauncherVersion()\n"
            "set = li:SetLauncherVersion('0.11') .. li:SetLauncherServerURL('http://h/launcher/')\n"
            "root = LauncherScriptObject:GetLauncherRootPath()\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    EXPECT_EQ(app.Global("before"), "0.1");
    EXPECT_EQ(app.Global("set"), "11");
    EXPECT_EQ(app.restart.info.GetLauncherVersionW(), L"0.11");
    EXPECT_EQ(app.restart.info.GetLauncherServerURLW(), L"http://h/launcher/");
    EXPECT_EQ(app.Global("root"), platform::text::WideToMultiByte(L"/opt/벨모라/", 949))
        << "read in the code page of the chunk (no byte-order mark: CP949)";

    // The launcher information file runs through the record and the host answers.
    const std::string file = "LauncherScriptObject:GetLauncherInfo():SetLauncherVersion('0.12')\n";
    EXPECT_EQ(app.restart.info.LoadInfoFromMemory(file.data(), static_cast<uint32_t>(file.size())), 1);
    EXPECT_EQ(app.restart.info.GetLauncherVersionW(), L"0.12");
    EXPECT_EQ(app.restart.info.LoadInfoFromMemory(nullptr, 1), ZP::kErrorInvalidPointer);
}

TEST(LauncherScriptObject, MissingComponentsGiveNil)
{
    testsupport::CScriptTestApp app;
    app.Run("gi = tostring(LauncherScriptObject:GetGameInfo())\n"
            "li = tostring(LauncherScriptObject:GetLauncherInfo())\n"
            "impl = tostring(LauncherScriptObject:GetLauncherImpl())\n"
            "root = tostring(LauncherScriptObject:GetLauncherRootPath())\n"
            "LauncherScriptObject:ShowLauncher(false)\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    EXPECT_EQ(app.Global("gi"), "nil");
    EXPECT_EQ(app.Global("li"), "nil");
    EXPECT_EQ(app.Global("impl"), "nil");
    EXPECT_EQ(app.Global("root"), "nil");
}

TEST(LauncherScriptObject, ShowLauncherHidesAndShowsTheWindow)
{
    class CWindowApp : public testsupport::CScriptTestApp
    {
    public:
        CFWLauncherGUI* GetLauncherGUI() override { return &gui; }
        CConsoleLauncherGUI gui;
    };
    CWindowApp app;
    app.Run("LauncherScriptObject:ShowLauncher(false)\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    EXPECT_FALSE(app.gui.IsLauncherVisible());
    app.Run("LauncherScriptObject:ShowLauncher(true)\n");
    EXPECT_TRUE(app.gui.IsLauncherVisible());
}

TEST(LauncherScriptObject, MessageBoxShowsANoticeInTheScriptsCodePage)
{
    CRecordsApp app;
    auto box = std::make_shared<CRecordingBox>();
    InstallMessageBox(box);
    testsupport::OnScopeExit removeBox(RemoveMessageBox);
    app.Run("\xEF\xBB\xBF"
            "LauncherScriptObject:MessageBox('" +
            platform::text::WideToUtf8(L"설치 완료") + "')\n");
    app.Run("LauncherScriptObject:MessageBox('" + std::string(2000, 'm') + "')\n");
    ASSERT_EQ(box->shown.size(), 2u);
    EXPECT_EQ(box->shown[0].first, L"설치 완료");
    EXPECT_EQ(box->shown[0].second, kMessageNotice);
    EXPECT_EQ(box->shown[1].first, std::wstring(1023, L'm'));
}

TEST(LauncherImplScript, NamesAreStoredAndOnlyThreeOptionSlotsExist)
{
    CRecordsApp app;
    CDefaultLauncherImplement implement;
    app.implement = &implement;
    app.Run("impl = LauncherScriptObject:GetLauncherImpl()\n"
            "impl:SetInitLauncherFunction('OnInit')\n"
            "impl:SetDoApplicationFunction('Start')\n"
            "impl:SetDoApplicationFunction('StartAgain')\n"
            "impl:SetInstallApplicationFunction('Install')\n"
            "impl:SetInstallApplicationFunctionAddon('AfterInstall')\n"
            "impl:SetFunctionAfterLauncherApplication('Started')\n"
            "impl:SetDoOptionFunction(0, 'Shortcut')\n"
            "impl:SetDoOptionFunction(2, 'StartPage')\n"
            "impl:SetDoOptionFunction(3, 'Beyond')\n"
            "impl:SetDoOptionFunction(-1, 'Negative')\n"
            "results = impl:DoApplication_Default() .. ' ' .. impl:InstallApplication_Default() .. ' ' .. "
            "impl:DownloadInstallFile(nil, '/tmp/setup.exe')\n");
    ASSERT_TRUE(app.alerts.empty()) << app.alerts[0];
    EXPECT_EQ(implement.GetInitLauncherFunction(), "OnInit");
    EXPECT_EQ(implement.GetDoApplicationFunction(), "StartAgain");
    EXPECT_EQ(implement.GetInstallApplicationFunction(), "Install");
    EXPECT_EQ(implement.GetInstallApplicationFunctionAddon(), "AfterInstall");
    EXPECT_EQ(implement.GetFunctionAfterLauncherApplication(), "Started");
    EXPECT_EQ(implement.GetDoOptionFunction(0), "Shortcut");
    EXPECT_EQ(implement.GetDoOptionFunction(1), "");
    EXPECT_EQ(implement.GetDoOptionFunction(2), "StartPage");
    EXPECT_EQ(implement.GetDoOptionFunction(3), "");
    EXPECT_EQ(app.Global("results"), "14003 14003 14005")
        << "the exposed steps reach the workflow: no game information manager here, no URL";
}

TEST(VelmoraScriptTool, PrintsTheRecordsOfTheShippedGameInfoFiles)
{
    const std::string source = testsupport::SourceDir();
    for (const char* variant : {"cp949", "utf8-bom"})
    {
        std::string out, err;
        int status = testsupport::RunCommand(testsupport::BinaryDir() + "/velmora-script --print-records " +
                                                 source + "/tests/data/gameinfo/" + variant + "/GameInfo.dat",
                                             &out, &err);
        EXPECT_EQ(status, 0) << err;
        EXPECT_EQ(err, "") << variant;
        for (const char* line :
             {"GameInfo.Loaded: 1\n", "GameInfo.Env: 라이브\n", "GameInfo.Argument: -서버=라이브\n",
              "GameInfo.BIUrl: 127.0.0.1\n", "LauncherInfo.LauncherVersion: 0.11\n",
              "DistPackageInfo.Count: 1\n", "DistPackageInfo[1].strInstallFileName: 런타임.exe\n",
              "LauncherProcessStatusFunction.strFunction_LauncherSameGame: "
              "AllowSameGameLauncher\n",
              "LauncherProcessStatusFunction.strFunction_Patcher: (nil)\n"})
            EXPECT_NE(out.find(line), std::string::npos) << variant << " lacks " << line << out;
    }
}
