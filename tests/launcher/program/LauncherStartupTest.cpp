// The launcher program's start-up as a player meets it: a launcher folder with the program and its
// resource module, a hand-off argument (or none), the headless window. Every way start-up ends
// shows its message, writes its error line and leaves the process with exit code 0.
#include "tests/support/RegistrySandbox.h"
#include "tests/support/ResourcePackWriter.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace
{
class LauncherStartup : public ::testing::Test
{
protected:
    LauncherStartup() : m_folder(fs::path(m_dir.NativePath()) / "launcher folder")
    {
        fs::create_directories(m_folder);
        fs::copy_file(testsupport::BinaryDir() + "/VelmoraLauncher", m_folder / "VelmoraLauncher");
    }

    void CopyResourceModule()
    {
        fs::copy_file(testsupport::BinaryDir() + "/FWLDRS.dll", m_folder / "FWLDRS.dll");
    }

    // Runs the launcher with its argument; the exit status and everything it printed.
    int Run(const std::string& argument, std::string& output)
    {
        std::string command = "cd '" + m_dir.NativePath() + "' && timeout 120 '" +
                              (m_folder / "VelmoraLauncher").string() + "'";
        if (!argument.empty()) command += " '" + argument + "'";
        std::string errors;
        int status = testsupport::RunCommand(command, &output, &errors);
        output += errors;
        return status;
    }

    // Every log file the launcher wrote, one after the other.
    std::string Log() const
    {
        std::string all;
        if (!fs::exists(m_folder / "Log")) return all;
        for (const auto& entry : fs::recursive_directory_iterator(m_folder / "Log"))
        {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            all += bytes.str();
        }
        return all;
    }

    testsupport::TempDir m_dir;
    fs::path m_folder;
    testsupport::RegistrySandbox m_registry;
    testsupport::ScopedEnv m_ui{"VELMORA_UI", "headless"};
    testsupport::ScopedEnv m_answer{"VELMORA_HEADLESS_ANSWER", "7"};
    testsupport::ScopedEnv m_server{"VELMORA_LAUNCHER_SERVER", "http://127.0.0.1:9"};
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}
} // namespace

TEST_F(LauncherStartup, WithoutAHandOffTheGameInformationMessageEndsIt)
{
    CopyResourceModule();
    std::string out;
    EXPECT_EQ(Run("", out), 0) << out;
    EXPECT_TRUE(Contains(out, "[message")) << out;
    EXPECT_TRUE(Contains(out, "(E:90003)")) << out;
    std::string log = Log();
    EXPECT_TRUE(Contains(log, "Initialize InstallDialog")) << log;
    EXPECT_TRUE(Contains(log, "Initialize MessageBox")) << log;
    EXPECT_TRUE(Contains(log, "CFernwayLauncher::InitializeFramework")) << log;
    EXPECT_TRUE(Contains(log, "CFernwayLauncher::InitInstance")) << log;
}

TEST_F(LauncherStartup, WithoutTheResourceModuleOnlyTheSystemBoxSpeaks)
{
    std::string out;
    EXPECT_EQ(Run("GameId=velmora|InstallUrl=http://127.0.0.1:9/Setup.exe|", out), 0) << out;
    EXPECT_TRUE(Contains(out, "LoadResource Error : 14003")) << out;
    EXPECT_FALSE(Contains(out, "[message")) << out;
    std::string log = Log();
    EXPECT_TRUE(Contains(log, "LoadResource : ")) << log;
    EXPECT_TRUE(Contains(log, "FWLDRS.dll")) << log;
    EXPECT_TRUE(Contains(log, "CFernwayLauncher::InitializeFramework")) << log;
}

TEST_F(LauncherStartup, AResourceModuleWithoutTheStringTableEndsItSilently)
{
    ASSERT_TRUE(
        testsupport::WriteResourcePack((m_folder / "FWLDRS.dll").wstring(), {{"csv/103", "x,1,2,3,4\n"}}));
    std::string out;
    EXPECT_EQ(Run("GameId=velmora|InstallUrl=http://127.0.0.1:9/Setup.exe|", out), 0) << out;
    EXPECT_FALSE(Contains(out, "[message")) << out;
    EXPECT_FALSE(Contains(out, "LoadResource Error")) << out;
    std::string log = Log();
    EXPECT_TRUE(Contains(log, "CFernwayLauncher::InitializeStringTable")) << log;
    EXPECT_FALSE(Contains(log, "Initialize MessageBox")) << log;
}

TEST_F(LauncherStartup, GameInformationThatCannotBeDownloadedIsToldAndStartUpGoesOn)
{
    CopyResourceModule();
    testsupport::TestHttpServer server;
    std::string out;
    EXPECT_EQ(Run("GameId=velmora|InstallUrl=" + server.Url("/install/Setup.exe") + "|MemberNo=42|", out), 0)
        << out;
    EXPECT_TRUE(Contains(out, "(E:90007)[GI]")) << out;
    EXPECT_GE(server.RequestCount("/install/GameInfo.dat"), 1) << out;
    // Start-up went on: the window ran its updater, which found no launcher server, and closed.
    EXPECT_TRUE(Contains(out, "[finished]")) << out;
    EXPECT_FALSE(Contains(out, "(E:90003)")) << out;
}

TEST_F(LauncherStartup, TerminationSignalClosesTheWindowAndEndsCleanly)
{
    CopyResourceModule();
    testsupport::TestHttpServer server;
    testsupport::sHttpFault stall;
    // A request in flight is not cut short: the stop is seen once the answer is in.
    stall.delay = std::chrono::seconds(3);
    server.SetFault("/launcher/LauncherContents/LauncherInfo.dat", stall);
    testsupport::ScopedEnv launcherServer("VELMORA_LAUNCHER_SERVER",
                                          server.Url("/").substr(0, server.Url("/").size() - 1));
    const std::string launcher = (m_folder / "VelmoraLauncher").string();
    const std::string log = (m_folder / "Log").string();
    // Waits until the updater hangs on the launcher information, then asks the launcher to end.
    const std::string script = "cd '" + m_dir.NativePath() + "' && ('" + launcher +
                               "' 'GameId=velmora|InstallUrl=" + server.Url("/install/Setup.exe") +
                               "|' & pid=$!; for i in $(seq 100); do grep -qa 'Download LauncherInfo' '" +
                               log + "'/* 2>/dev/null && break; sleep 0.1; done; kill -TERM $pid; wait $pid)";
    m_dir.WriteFile(L"signal.sh", script + "\n");
    std::string out, err;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(testsupport::RunCommand("timeout 60 sh '" + m_dir.NativePath() + "/signal.sh'", &out, &err), 0)
        << out << err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    std::string written = Log();
    EXPECT_TRUE(Contains(written, "Close requested")) << written;
    EXPECT_TRUE(Contains(written, "Force Terminate")) << written;
    // The updater stopped: its end is not reported to the window.
    EXPECT_FALSE(Contains(out, "[finished]")) << out;
}

// The whole road with nothing to update: same launcher version on the server, the game folder
// already in line with the patch server; the launcher ends by starting the game client with the
// hand-off's authentication code.
TEST_F(LauncherStartup, WholeLaunchWithNothingToUpdateStartsTheGame)
{
    CopyResourceModule();
    const fs::path root = fs::path(m_dir.NativePath()) / "server";
    const fs::path source = fs::path(m_dir.NativePath()) / "source";
    const fs::path game = fs::path(m_dir.NativePath()) / "game folder";
    fs::create_directories(source / "Data");
    fs::create_directories(root / "launcher" / "LauncherContents");
    fs::create_directories(root / "install");
    std::ofstream(source / "Data" / "a.txt") << "alpha";
    fs::copy_file(testsupport::BinaryDir() + "/demo-game", source / "demo-game");
    ASSERT_EQ(testsupport::RunCommand(testsupport::Zpak() + " publish '" + source.string() + "' '" +
                                      (root / "live").string() + "' --loose demo-game"),
              0);
    testsupport::TestHttpServer server(root);
    const std::string address = server.Url("/").substr(0, server.Url("/").size() - 1);
    std::ofstream(root / "launcher" / "LauncherContents" / "LauncherInfo.dat")
        << "li = LauncherScriptObject:GetLauncherInfo()\nli:SetLauncherVersion('0.11')\n";
    std::ofstream(root / "install" / "GameInfo.dat")
        << "local game = LauncherScriptObject:GetGameInfo()\n"
        << "game:SetServerURL('" << address << "/live/')\n"
        << "game:SetPakDir('Data')\ngame:SetPakName('velmora')\ngame:SetExeFileName('demo-game')\n"
        << "game:SetExe32Path('demo-game')\ngame:SetExe64Path('demo-game')\n";
    // The game as a player has it after an earlier patch.
    ASSERT_EQ(testsupport::RunCommand(testsupport::Zpak() + " patch '" + address + "/live/' '" +
                                      game.string() + "' velmora"),
              0);
    fs::permissions(game / "demo-game", fs::perms::owner_all);
    const fs::file_time_type patched = fs::last_write_time(game / "demo-game");
    const std::string reg =
        testsupport::BinaryDir() + "/velmora-reg set HKLM 'SOFTWARE\\Quillmark\\velmora' ";
    ASSERT_EQ(testsupport::RunCommand(reg + "Install_Dir '" + game.string() + "'"), 0);
    ASSERT_EQ(testsupport::RunCommand(reg + "Patcher demo-game"), 0);
    testsupport::ScopedEnv launcherServer("VELMORA_LAUNCHER_SERVER", address);
    testsupport::ScopedEnv noRecordFile("VELMORA_DEMO_GAME_RECORD", nullptr);

    std::string out;
    EXPECT_EQ(
        Run("GameId=velmora|InstallUrl=" + address + "/install/Setup.exe|MemberNo=42|AuthCode=Auth-1|", out),
        0)
        << out;
    // The game client runs on its own; give it a moment to write its record.
    std::string record;
    for (int i = 0; i < 50 && record.find("arg\t") == std::string::npos; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream in(game / "demo-game.record");
        std::stringstream bytes;
        bytes << in.rdbuf();
        record = bytes.str();
    }
    EXPECT_TRUE(Contains(record, "arg\tAuth-1\n")) << record << out;
    EXPECT_EQ(fs::last_write_time(game / "demo-game"), patched)
        << "nothing to update: the client stays as it was";
    EXPECT_FALSE(Contains(out, "[message")) << out;
}
