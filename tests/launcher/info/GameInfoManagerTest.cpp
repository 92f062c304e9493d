// The game information manager: the hand-off, the game information file, the install registration.
#include "launcher/info/GameInfoManager.h"
#include "launcher/app/MessageBox.h"
#include "launcher/info/GameInfo.h"
#include "platform/process/CommandLine.h"
#include "platform/registry/RegistryStore.h"
#include "platform/text/TextCodec.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

namespace
{
std::wstring W(const std::string& s)
{
    return platform::text::Utf8ToWide(s);
}

// Sets the launcher's own arguments while it lives.
struct sHandOff
{
    explicit sHandOff(const std::wstring& argument)
    {
        platform::process::SetOwnArguments({L"VelmoraLauncher", argument});
    }
    sHandOff() { platform::process::SetOwnArguments({L"VelmoraLauncher"}); }
    ~sHandOff() { platform::process::SetOwnArguments({L"velmora-tests"}); }
};

class CRecordingBox : public CGUIMessageBox
{
public:
    int Show() override
    {
        shown.push_back(GetText());
        return 1;
    }
    std::vector<std::wstring> shown;
};

// The script test application whose game information manager is the one under test.
class CManagerApp : public testsupport::CScriptTestApp
{
public:
    CGameInfoManagerBase* GetGameInfoManager() override { return &manager; }
    CFWLGameInfoManager manager;
};

// A manager with its record, run by a script host that is the current script.
class ManagerTest : public ::testing::Test
{
protected:
    ManagerTest()
    {
        manager.Initialize();
        SetCurrentScript(&app.host);
        box = std::make_shared<CRecordingBox>();
        InstallMessageBox(box);
    }
    ~ManagerTest() override
    {
        RemoveMessageBox();
        SetCurrentScript(nullptr);
        manager.Finalize();
    }

    CManagerApp app;
    CFWLGameInfoManager& manager = app.manager;
    std::shared_ptr<CRecordingBox> box;
};
} // namespace

TEST_F(ManagerTest, HandOffParsing)
{
    struct
    {
        std::wstring argument;
        int result;
        std::wstring id, base, file, site, member;
    } cases[] = {
        {L"GameId=g|InstallUrl=u/x.exe|", 1, L"g", L"u/", L"x.exe", L"", L""},
        {L"SiteCode=s|MemberNo=77|InstallUrl=http://h/a/b/setup.exe|GameId=vel|AuthCode=z|", 1, L"vel",
         L"http://h/a/b/", L"setup.exe", L"s", L"77"},
        {L"GameId=a|GameId=b|InstallUrl=x.exe|MemberNo=5", 1, L"a", L"", L"x.exe", L"", L""},
        {L"GameId=g|InstallUrl=u/x.exe", 0, L"", L"", L"", L"", L""},
        {L"gameid=g|InstallUrl=u/x.exe|", 0, L"", L"", L"", L"", L""},
        {L"InstallUrl=u/x.exe|", 0, L"", L"", L"", L"", L""},
        {L"", 0, L"", L"", L"", L"", L""},
    };
    for (const auto& c : cases)
    {
        CFWLGameInfoManager m;
        m.Initialize();
        sHandOff handOff(c.argument);
        ASSERT_EQ(m.PrepareGameInfo(), c.result) << platform::text::WideToUtf8(c.argument);
        if (c.result != 1) continue;
        EXPECT_EQ(m.GetGameId(), c.id);
        EXPECT_EQ(m.GetField(kFieldFullClient), c.base + c.file);
        EXPECT_EQ(m.GetField(kFieldInstallBase), c.base);
        EXPECT_EQ(m.GetField(kFieldInstallFile), c.file);
        EXPECT_EQ(m.GetSiteCode(), c.site);
        EXPECT_EQ(m.GetMemberNo(), c.member);
        m.Finalize();
    }
    {
        sHandOff none;
        EXPECT_EQ(manager.PrepareGameInfo(), 0) << "no argument";
    }
}

TEST_F(ManagerTest, HandOffOf255CharactersIsParsedAnd256IsNot)
{
    const std::wstring head = L"GameId=g|InstallUrl=http://h/";
    std::wstring fits = head + std::wstring(255 - head.size() - 5, L'p') + L".exe|";
    ASSERT_EQ(fits.size(), 255u);
    {
        sHandOff handOff(fits);
        EXPECT_EQ(manager.PrepareGameInfo(), 1);
        EXPECT_EQ(manager.GetGameInfo()->GetWide(kGameArgument), fits);
    }
    std::wstring tooLong = head + std::wstring(256 - head.size() - 5, L'p') + L".exe|";
    CFWLGameInfoManager other;
    other.Initialize();
    sHandOff handOff(tooLong);
    EXPECT_EQ(other.PrepareGameInfo(), 0);
    EXPECT_EQ(other.GetGameId(), L"");
}

TEST_F(ManagerTest, GameInfoFileRunsAndTheAuthCodeBecomesTheArgument)
{
    testsupport::TestHttpServer server;
    server.SetContent("/dir/GameInfo.dat", "gi = LauncherScriptObject:GetGameInfo()\n"
                                           "gi:SetServerURL('http://patch/')\n"
                                           "gi:SetArgument('from-file')\n");
    sHandOff handOff(L"GameId=g|InstallUrl=" + W(server.Url("/dir/setup.exe")) + L"|AuthCode=secret|");
    ASSERT_EQ(manager.PrepareGameInfo(), 1);
    EXPECT_EQ(manager.PrepareGameInfoData(), 1);
    CGameInfo* game = manager.GetGameInfo();
    EXPECT_TRUE(game->IsLoaded());
    EXPECT_EQ(game->GetWide(kGameServerURL), L"http://patch/");
    EXPECT_EQ(game->GetWide(kGameArgument), L"secret") << "the authentication code replaces the file's";
    EXPECT_EQ(game->GetInfoBaseURL(), W(server.Url("/dir/")));
    EXPECT_TRUE(box->shown.empty());
}

TEST_F(ManagerTest, SiteCodeSchemeRetryMissingAuthCodeAndFailedDownload)
{
    testsupport::TestHttpServer server;
    server.SetContent("/dir/s_GameInfo.dat", "x = 1\n");
    server.SetContent("/dir/GameInfo.dat", "x = 2\n");
    std::string hostAndPort = server.Url("/").substr(7); // "127.0.0.1:PORT/"

    {
        // Site code: "<site>_GameInfo.dat"; a second call does not prefix it twice.
        CFWLGameInfoManager m;
        m.Initialize();
        sHandOff handOff(L"GameId=g|InstallUrl=" + W(server.Url("/dir/setup.exe")) +
                         L"|SiteCode=s|AuthCode=a|");
        ASSERT_EQ(m.PrepareGameInfo(), 1);
        EXPECT_EQ(m.PrepareGameInfoData(), 1);
        EXPECT_EQ(m.PrepareGameInfoData(), 1);
        EXPECT_EQ(m.GetGameInfoFileName(), L"s_GameInfo.dat");
        EXPECT_GT(server.RequestCount("/dir/s_GameInfo.dat"), 0);
        EXPECT_EQ(server.RequestCount("/dir/GameInfo.dat"), 0);
        EXPECT_EQ(app.Global("x"), "1");
    }
    {
        // No scheme: the first try fails, the second has "http://" in front.
        CFWLGameInfoManager m;
        m.Initialize();
        sHandOff handOff(L"GameId=g|InstallUrl=" + W(hostAndPort) + L"dir/setup.exe|AuthCode=a|");
        ASSERT_EQ(m.PrepareGameInfo(), 1);
        EXPECT_EQ(m.PrepareGameInfoData(), 1);
        EXPECT_TRUE(m.GetGameInfo()->IsLoaded());
        EXPECT_TRUE(app.Logged(L"try once more to download GameInfoDataURL : http://" + W(hostAndPort) +
                               L"dir/GameInfo.dat"));
        EXPECT_EQ(app.Global("x"), "2");
    }
    {
        // No "AuthCode=": the player is told, the call fails, the argument keeps the hand-off.
        CFWLGameInfoManager m;
        m.Initialize();
        std::wstring text = L"GameId=g|InstallUrl=" + W(server.Url("/dir/setup.exe")) + L"|AuthCode=a";
        sHandOff handOff(text);
        ASSERT_EQ(m.PrepareGameInfo(), 1);
        EXPECT_EQ(m.PrepareGameInfoData(), 0);
        ASSERT_EQ(box->shown.size(), 1u);
        EXPECT_EQ(box->shown[0], L"AuthCode Fail");
        EXPECT_EQ(m.GetGameInfo()->GetWide(kGameArgument), text);
    }
    {
        // Nothing to download: the download's code; the record stays unloaded.
        CFWLGameInfoManager m;
        m.Initialize();
        sHandOff handOff(L"GameId=g|InstallUrl=" + W(server.Url("/missing/setup.exe")) + L"|AuthCode=a|");
        ASSERT_EQ(m.PrepareGameInfo(), 1);
        EXPECT_EQ(m.PrepareGameInfoData(), ZP::kErrorHttp404);
        EXPECT_FALSE(m.GetGameInfo()->IsLoaded());
        EXPECT_EQ(m.GetGameInfo()->GetWide(kGameArgument), L"a");
    }
}

TEST_F(ManagerTest, InstallRegistrationReadsOnlyPlainTexts)
{
    testsupport::RegistrySandbox sandbox;
    using platform::registry::sValue;
    manager.SetRegistryName(kRegRootKey, L"SOFTWARE\\Quillmark");
    manager.SetRegistryName(kRegInstallDir, L"Install_Dir");
    manager.SetRegistryName(kRegPatcher, L"Patcher");
    manager.SetRegistryName(kRegArgument, L"Argument");
    {
        sHandOff handOff(L"GameId=vel|InstallUrl=http://h/setup.exe|");
        ASSERT_EQ(manager.PrepareGameInfo(), 1);
    }
    EXPECT_EQ(manager.PrepareFromRegistry(), 0) << "no key yet";

    platform::registry::Key key;
    ASSERT_TRUE(key.Create(platform::registry::eRoot::LocalMachine, L"SOFTWARE\\Quillmark\\vel"));
    ASSERT_TRUE(key.SetValue(L"Install_Dir", sValue::Text(L"/games/벨모라")));
    ASSERT_TRUE(key.SetValue(L"Patcher", sValue::Text(L"VelmoraPatcher")));
    EXPECT_EQ(manager.PrepareFromRegistry(), 1) << "the argument is optional";
    EXPECT_EQ(manager.GetField(kFieldInstallDir), L"/games/벨모라");
    EXPECT_EQ(manager.GetPatcherName(), L"VelmoraPatcher");
    EXPECT_EQ(manager.GetField(kFieldRegArgument), L"");

    ASSERT_TRUE(key.SetValue(L"Argument", sValue::Text(L"-fast")));
    EXPECT_EQ(manager.PrepareFromRegistry(), 1);
    EXPECT_EQ(manager.GetField(kFieldRegArgument), L"-fast");

    ASSERT_TRUE(
        key.SetValue(L"Install_Dir", sValue::Text(L"%HOME%/games", platform::registry::kTypeExpandSz)));
    EXPECT_EQ(manager.PrepareFromRegistry(), 0) << "an expandable text is not a plain text";
    ASSERT_TRUE(key.SetValue(L"Install_Dir", sValue::Number(7)));
    EXPECT_EQ(manager.PrepareFromRegistry(), 0);

    // Another root from the script takes effect from the next read.
    platform::registry::Key other;
    ASSERT_TRUE(other.Create(platform::registry::eRoot::LocalMachine, L"SOFTWARE\\Other\\vel"));
    ASSERT_TRUE(other.SetValue(L"Install_Dir", sValue::Text(L"/other")));
    ASSERT_TRUE(other.SetValue(L"Patcher", sValue::Text(L"P")));
    EXPECT_EQ(manager.SetRegistryRootKey_Root("SOFTWARE\\Other"), 1u);
    EXPECT_EQ(manager.SetRegistryRootKey_Root(std::string(256, 'k').c_str()), 0u);
    EXPECT_EQ(manager.SetRegistryRootKey_Root(nullptr), 0u);
    EXPECT_EQ(manager.PrepareFromRegistry(), 1);
    EXPECT_EQ(manager.GetField(kFieldInstallDir), L"/other");
}
