#include "launcher/gui/LauncherOptions.h"
#include "launcher/gui/CreateShortcut.h"
#include "launcher/gui/DefaultGUISetup.h"
#include "platform/fs/FileSystem.h"
#include "platform/registry/RegistryStore.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
using platform::registry::eRoot;

class CRecordingHook : public IOptionHook
{
public:
    int RunOptionHook(uint32_t index, bool checked) override
    {
        calls.emplace_back(index, checked);
        return index < 3 ? result : 14003;
    }
    int result = 1;
    std::vector<std::pair<uint32_t, bool>> calls;
};

class LauncherOptions : public ::testing::Test
{
protected:
    LauncherOptions() : options(nullptr, &setup, &hook) { options.SetDesktopFolder(desktop.Path()); }

    std::wstring StartPage()
    {
        platform::registry::Key key;
        platform::registry::sValue value;
        if (!key.Open(eRoot::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\Main") ||
            !key.GetValue(L"Start Page", value))
            return L"<none>";
        return value.AsText();
    }

    testsupport::RegistrySandbox registry;
    testsupport::TempDir desktop;
    CDefaultGUISetup setup;
    CRecordingHook hook;
    CLauncherOptions options;
};
} // namespace

TEST_F(LauncherOptions, DesktopShortcutIsALinkEntryToTheShortcutAddress)
{
    EXPECT_EQ(options.DoOption(0, false), 1);
    EXPECT_FALSE(platform::fs::Exists(desktop.Join(L"벨모라.desktop")));

    EXPECT_EQ(options.DoOption(0, true), 1);
    EXPECT_EQ(desktop.ReadFile(L"벨모라.desktop"),
              "[Desktop Entry]\nVersion=1.0\nType=Link\nName=벨모라\n"
              "URL=https://www.velmora.example/\nIcon=VelmoraLauncher\n");

    setup.SetShortcutURL("http://portal.example/velmora");
    setup.SetShortcutName("");
    EXPECT_EQ(options.DoOption(0, true), 1);
    EXPECT_NE(desktop.ReadFile(L"Velmora.desktop").find("URL=http://portal.example/velmora\n"),
              std::string::npos);

    // No desktop folder: the option fails.
    options.SetDesktopFolder(desktop.Join(L"missing"));
    EXPECT_EQ(options.DoOption(0, true), 0);
    EXPECT_EQ(hook.calls.size(), 4u);
}

TEST_F(LauncherOptions, StartPageIsWrittenOnlyIntoAnExistingKey)
{
    EXPECT_EQ(options.DoOption(1, true), 0);
    platform::registry::Key key;
    EXPECT_FALSE(key.Open(eRoot::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\Main"));

    ASSERT_TRUE(key.Create(eRoot::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\Main"));
    key.Close();
    EXPECT_EQ(options.DoOption(1, false), 1);
    EXPECT_EQ(StartPage(), L"<none>");
    setup.SetIEStartPage("http://portal.example/");
    EXPECT_EQ(options.DoOption(1, true), 1);
    EXPECT_EQ(StartPage(), L"http://portal.example/");
}

TEST_F(LauncherOptions, EveryOptionRunsTheScriptHookFirst)
{
    EXPECT_EQ(options.DoOption(2, true), 1);
    EXPECT_EQ(options.DoOption(3, true), 14003);
    hook.result = 0;
    EXPECT_EQ(options.DoOption(0, true), 0);
    EXPECT_FALSE(platform::fs::Exists(desktop.Join(L"벨모라.desktop"))); // a failing hook stops the option
    EXPECT_EQ(hook.calls, (std::vector<std::pair<uint32_t, bool>>{{2, true}, {3, true}, {0, true}}));
}

TEST(CreateShortcut, ProgramEntryQuotesItsPath)
{
    testsupport::TempDir dir;
    ICreateShortcut shortcut;
    shortcut.SetArguments(L"--auth X");
    shortcut.SetWorkingDirectory(L"/games/my game");
    ASSERT_TRUE(shortcut.Create(kShortcutFile, L"/games/my game/run.sh", dir.Join(L"Game.lnk").c_str()));
    const std::string entry = dir.ReadFile(L"Game.desktop");
    EXPECT_NE(entry.find("Type=Application\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Exec=\"/games/my game/run.sh\" --auth X\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Path=/games/my game\n"), std::string::npos) << entry;
    EXPECT_FALSE(shortcut.Create(7, L"x", dir.Join(L"x.desktop").c_str()));
}
