// The self-update with real processes: a launcher folder with the old test launcher (0.11), a
// launcher server offering the new one (0.12), and the chain old launcher -> clone -> new launcher
// run as the player's machine would run it.
#include "platform/fs/FileSystem.h"
#include "platform/process/Process.h"
#include "platform/text/TextCodec.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
namespace stdfs = std::filesystem;
using namespace std::chrono_literals;
const std::string kContents = "/launcher/LauncherContents/";

struct sTraceLine
{
    long pid = 0;
    std::string version;
    std::string type;
    std::string event;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class SelfUpdateChain : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_old = ReadAll(testsupport::BinaryDir() + "/velmora-test-selfupdate-old");
        m_new = ReadAll(testsupport::BinaryDir() + "/velmora-test-selfupdate-new");
        ASSERT_FALSE(m_old.empty());
        ASSERT_NE(m_old, m_new);
        server.SetContent(kContents + "LauncherInfo.dat",
                          "li = LauncherScriptObject:GetLauncherInfo()\nli:SetLauncherVersion('0.12')\n"
                          "li:SetLauncherServerURL('" +
                              server.Url(kContents) + "')\n");
        server.SetContent(kContents + "VelmoraLauncher", m_new);
        server.SetContent(kContents + "FWLDRS.dll", "pack 0.12");
        InstallOld();
    }

    void InstallOld()
    {
        folder.WriteFile(L"VelmoraLauncher", m_old);
        stdfs::permissions(Native(L"VelmoraLauncher"), stdfs::perms::owner_all);
        folder.WriteFile(L"FWLDRS.dll", "pack 0.11");
    }

    std::string Native(const std::wstring& name) const { return platform::fs::NativePath(folder.Join(name)); }

    // Starts the launcher of the folder as the player would, with a hand-off holding a space.
    void Launch(const char* pause)
    {
        testsupport::ScopedEnv serverEnv("VELMORA_LAUNCHER_SERVER", server.Url("/"));
        testsupport::ScopedEnv traceEnv("VELMORA_TEST_TRACE", platform::fs::NativePath(m_trace));
        testsupport::ScopedEnv pauseEnv("VELMORA_TEST_PAUSE", pause);
        platform::process::Process launcher;
        ASSERT_EQ(launcher.Start(folder.Join(L"VelmoraLauncher"), {L"GameId=7|AuthCode=a b"}), 0);
        launcher.Release();
    }

    std::vector<sTraceLine> Trace() const
    {
        std::vector<sTraceLine> lines;
        std::istringstream in(ReadAll(platform::fs::NativePath(m_trace)));
        std::string text;
        while (std::getline(in, text))
        {
            std::istringstream fields(text);
            sTraceLine line;
            fields >> line.pid >> line.version >> line.type;
            std::getline(fields >> std::ws, line.event);
            lines.push_back(line);
        }
        return lines;
    }

    // The first trace line from `from` on with this version, type and event (prefix); waits for it.
    std::optional<sTraceLine> WaitForEvent(size_t from, const std::string& version, const std::string& type,
                                           const std::string& event)
    {
        auto end = std::chrono::steady_clock::now() + 30s;
        while (std::chrono::steady_clock::now() < end)
        {
            std::vector<sTraceLine> lines = Trace();
            for (size_t i = from; i < lines.size(); ++i)
            {
                const sTraceLine& l = lines[i];
                if (l.version == version && l.type == type && l.event.rfind(event, 0) == 0) return l;
                if (l.event.rfind("failed", 0) == 0) ADD_FAILURE() << "a launcher failed: " << l.event;
            }
            std::this_thread::sleep_for(20ms);
        }
        ADD_FAILURE() << "no \"" << event << "\" of " << version << " " << type << "; trace:\n"
                      << ReadAll(platform::fs::NativePath(m_trace));
        return std::nullopt;
    }

    // A player's launcher ends up complete and of the new version, with nothing left over.
    void ExpectUpdated()
    {
        EXPECT_TRUE(testsupport::SameBytes(ReadAll(Native(L"VelmoraLauncher")), m_new));
        EXPECT_EQ(stdfs::status(Native(L"VelmoraLauncher")).permissions() & stdfs::perms::mask,
                  stdfs::perms::owner_all);
        EXPECT_EQ(ReadAll(Native(L"FWLDRS.dll")), "pack 0.12");
        for (const wchar_t* leftover :
             {L"VelmoraLauncher.cln", L"FWLDRS.cln", L"VelmoraLauncher.part", L"FWLDRS.dll.part"})
            EXPECT_FALSE(platform::fs::Exists(folder.Join(leftover))) << platform::text::WideToUtf8(leftover);
    }

    testsupport::TempDir folder;
    testsupport::TempDir scratch;
    testsupport::TestHttpServer server;
    std::wstring m_trace = scratch.Join(L"trace.txt");
    std::string m_old;
    std::string m_new;
};
} // namespace

// The old launcher is kept running after it has started its clone: the clone still replaces it,
// and the chain ends with the new launcher going on, the hand-off passed along unchanged.
TEST_F(SelfUpdateChain, OldLauncherCloneNewLauncherWhileTheOldOneStillRuns)
{
    Launch("normal:successor-started");
    std::optional<sTraceLine> old = WaitForEvent(0, "0.11", "normal", "paused");
    ASSERT_TRUE(old);
    std::optional<sTraceLine> ready = WaitForEvent(0, "0.12", "normal", "ready");
    ASSERT_TRUE(ready);
    EXPECT_EQ(::kill(static_cast<pid_t>(old->pid), 0), 0) << "the old launcher was still running";
    ::kill(static_cast<pid_t>(old->pid), SIGKILL);

    ExpectUpdated();
    EXPECT_TRUE(WaitForEvent(0, "0.11", "clone", "restart"));
    for (const sTraceLine& line : Trace())
    {
        if (line.event.rfind("arguments", 0) == 0)
        {
            EXPECT_EQ(line.event, "arguments GameId=7|AuthCode=a b ");
        }
    }
}

// Killed at each step of the self-update, the folder holds a complete launcher of one version or the
// other, and starting it again ends with the new launcher.
TEST_F(SelfUpdateChain, KilledAtAnyStepLeavesACompleteLauncherThatFinishesTheUpdate)
{
    struct
    {
        const char* pause;
        bool newLauncher; // right after the kill
        bool newPack;
    } cases[] = {
        {"normal:clone-made", false, false},
        {"clone:resource-replaced", false, true},
        {"clone:launcher-replaced", true, true},
        {"clone:successor-started", true, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pause);
        InstallOld();
        size_t from = Trace().size();
        Launch(c.pause);
        std::optional<sTraceLine> paused = WaitForEvent(
            from, "0.11", std::string(c.pause).substr(0, std::string(c.pause).find(':')), "paused");
        ASSERT_TRUE(paused);
        ASSERT_EQ(::kill(static_cast<pid_t>(paused->pid), SIGKILL), 0);
        // Once its successor runs, a killed launcher no longer matters: let the chain end first.
        if (c.newLauncher && std::string(c.pause).find("successor") != std::string::npos)
            ASSERT_TRUE(WaitForEvent(from, "0.12", "normal", "ready"));
        else
            std::this_thread::sleep_for(100ms);

        EXPECT_TRUE(
            testsupport::SameBytes(ReadAll(Native(L"VelmoraLauncher")), c.newLauncher ? m_new : m_old));
        EXPECT_EQ(ReadAll(Native(L"FWLDRS.dll")), c.newPack ? "pack 0.12" : "pack 0.11");
        EXPECT_EQ(stdfs::status(Native(L"VelmoraLauncher")).permissions() & stdfs::perms::mask,
                  stdfs::perms::owner_all);

        size_t rerun = Trace().size();
        Launch(nullptr);
        ASSERT_TRUE(WaitForEvent(rerun, "0.12", "normal", "ready"));
        ExpectUpdated();
    }
}
