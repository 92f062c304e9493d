// The whole patch chain against a real static server: publish a game, serve it with nginx on
// 127.0.0.1, patch game folders, and compare what the pak set and the loose files hold with the
// published game, byte for byte.
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "zpak/archive/ZipArchive.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/repair/PakRepair.h"
#include "zpak/repair/PakRepairUtil.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>

using testsupport::RunCommand;
namespace stdfs = std::filesystem;

namespace
{
using testsupport::SourceDir;
using testsupport::Zpak;

void Write(const stdfs::path& path, const std::string& bytes)
{
    stdfs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const stdfs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Relative path -> content of every regular file below root.
std::map<std::string, std::string> Tree(const stdfs::path& root)
{
    std::map<std::string, std::string> files;
    if (!stdfs::exists(root)) return files;
    for (const auto& e : stdfs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[stdfs::relative(e.path(), root).string()] = Read(e.path());
    return files;
}

// What a client holds: the pak set extracted plus its loose files (extraction copies loose files
// from the working folder, so it runs inside the client folder).
std::map<std::string, std::string> ClientContent(const stdfs::path& client, const stdfs::path& scratch)
{
    stdfs::remove_all(scratch);
    std::string out, err;
    int r = RunCommand("cd '" + client.string() + "' && " + Zpak() + " extract res.pak '" + scratch.string() +
                           "'",
                       &out, &err);
    EXPECT_EQ(r, 0) << err;
    return Tree(scratch);
}

::testing::AssertionResult SameContent(const std::map<std::string, std::string>& actual,
                                       const std::map<std::string, std::string>& expected)
{
    for (const auto& [name, bytes] : expected)
    {
        auto it = actual.find(name);
        if (it == actual.end()) return ::testing::AssertionFailure() << "missing " << name;
        if (it->second != bytes) return ::testing::AssertionFailure() << "different " << name;
    }
    for (const auto& [name, bytes] : actual)
        if (!expected.count(name)) return ::testing::AssertionFailure() << "extra " << name;
    return ::testing::AssertionSuccess();
}

class Nginx
{
public:
    Nginx(const stdfs::path& root, const stdfs::path& state, const std::string& rate = "0") : m_state(state)
    {
        std::string out, err;
        int r = RunCommand(SourceDir() + "/scripts/nginx-serve.sh start '" + root.string() + "' '" +
                               state.string() + "' 0 " + rate,
                           &out, &err);
        EXPECT_EQ(r, 0) << err;
        m_port = std::atoi(out.c_str());
    }
    ~Nginx() { RunCommand(SourceDir() + "/scripts/nginx-serve.sh stop '" + m_state.string() + "'"); }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    stdfs::path m_state;
    int m_port = 0;
};

class PatchChain : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new testsupport::TempDir;
        stdfs::path root = s_dir->NativePath();
        // v1: a few hundred files in nested folders, movies, two loose files, one file over
        // 20,480,000 bytes, a few LZMA files and Korean names.
        stdfs::path v1 = root / "v1";
        for (int i = 0; i < 240; ++i)
            Write(v1 / ("KVGame/CookedPC/Area" + std::to_string(i % 12) + "/Sub" + std::to_string(i % 3) +
                        "/pkg" + std::to_string(i) + ".upk"),
                  testsupport::RandomBytes(500 + (i * 977) % 40000, i));
        Write(v1 / "KVGame/Movies/intro.bik", testsupport::RandomBytes(300000, 1001));
        Write(v1 / "KVGame/Movies/outro.bik", testsupport::RandomBytes(200000, 1002));
        Write(v1 / "KVGame/CookedPC/Big/world.upk", testsupport::RandomBytes(21000000, 1003));
        for (int i = 0; i < 3; ++i)
            Write(v1 / ("KVGame/Localization/text" + std::to_string(i) + ".lzx"),
                  std::string(50000 + i, 'k'));
        Write(v1 / "KVGame/Localization/한국어/대화.txt", "안녕하세요 " + std::string(5000, 'x'));
        Write(v1 / "Binaries/config.ini", "[Game]\nLanguage=KOR\n");
        Write(v1 / "Binaries/launch.ini", "[Launch]\n");
        Publish(v1, root / "server");
        s_v1 = Tree(v1);

        // v2: changed, added and removed files, a changed loose file.
        stdfs::path v2 = root / "v2";
        // Unchanged files keep their times, as they would on an operator's machine.
        ASSERT_EQ(RunCommand("cp -a '" + v1.string() + "' '" + v2.string() + "'"), 0);
        for (int i = 0; i < 240; i += 24)
            Write(v2 / ("KVGame/CookedPC/Area" + std::to_string(i % 12) + "/Sub" + std::to_string(i % 3) +
                        "/pkg" + std::to_string(i) + ".upk"),
                  testsupport::RandomBytes(3000, 5000 + i));
        for (int i = 0; i < 5; ++i)
            Write(v2 / ("KVGame/CookedPC/New/added" + std::to_string(i) + ".upk"),
                  testsupport::RandomBytes(20000, 6000 + i));
        for (int i = 1; i < 240; i += 48)
            stdfs::remove(v2 / ("KVGame/CookedPC/Area" + std::to_string(i % 12) + "/Sub" +
                                std::to_string(i % 3) + "/pkg" + std::to_string(i) + ".upk"));
        // Records compare by size and time (to the minute): a rewrite of the same size is only a
        // change when its time moves, as it does on a real build machine.
        Write(v2 / "KVGame/CookedPC/Big/world.upk", testsupport::RandomBytes(21000000, 7003));
        stdfs::last_write_time(v2 / "KVGame/CookedPC/Big/world.upk",
                               stdfs::last_write_time(v2 / "KVGame/CookedPC/Big/world.upk") +
                                   std::chrono::hours(2));
        Write(v2 / "Binaries/config.ini", "[Game]\nLanguage=ENG\n");
        stdfs::last_write_time(v2 / "Binaries/config.ini",
                               stdfs::last_write_time(v2 / "Binaries/config.ini") + std::chrono::hours(24));
        s_v2 = Tree(v2);
        s_v2Dir = new stdfs::path(v2);
    }

    static void TearDownTestSuite()
    {
        delete s_v2Dir;
        delete s_dir;
    }

    static void Publish(const stdfs::path& game, const stdfs::path& server)
    {
        std::string out, err;
        ASSERT_EQ(RunCommand(Zpak() + " publish '" + game.string() + "' '" + server.string() +
                                 "' --loose 'Binaries/*' --lzma '*.lzx'",
                             &out, &err),
                  0)
            << err;
    }

    static int Patch(const std::string& url, const stdfs::path& client, std::string* out = nullptr,
                     const std::string& moreUrls = "")
    {
        std::string err;
        int r = RunCommand(Zpak() + " patch " + url + " '" + client.string() + "' res.pak " + moreUrls, out,
                           &err);
        if (out && r != 0) *out += err;
        return r;
    }

    static stdfs::path Root() { return s_dir->NativePath(); }

    static testsupport::TempDir* s_dir;
    static std::map<std::string, std::string> s_v1, s_v2;
    static stdfs::path* s_v2Dir;
};

testsupport::TempDir* PatchChain::s_dir = nullptr;
std::map<std::string, std::string> PatchChain::s_v1, PatchChain::s_v2;
stdfs::path* PatchChain::s_v2Dir = nullptr;

// Each scenario builds on the previous: the test names keep them in order.
TEST_F(PatchChain, S1_EmptyFolderGetsV1)
{
    Nginx server(Root() / "server", Root() / "nginx1");
    ASSERT_EQ(Patch(server.Url(), Root() / "client"), 0);
    EXPECT_TRUE(SameContent(ClientContent(Root() / "client", Root() / "x1"), s_v1));
    ASSERT_EQ(
        RunCommand("cp -a '" + (Root() / "client").string() + "' '" + (Root() / "client-v1").string() + "'"),
        0);

    // Nothing to do the second time.
    std::string out;
    ASSERT_EQ(Patch(server.Url(), Root() / "client", &out), 0);
    EXPECT_NE(out.find("downloaded 0 files"), std::string::npos) << out;
}

TEST_F(PatchChain, S2_OnlyWhatChangedIsDownloaded)
{
    Publish(*s_v2Dir, Root() / "server");
    Write(Root() / "client/KVGame/Movies/stray.bik", "not on the server");
    Write(Root() / "client/KVGame/CookedPC/mine.txt", "a player's own file");
    Nginx server(Root() / "server", Root() / "nginx2");
    std::string out;
    ASSERT_EQ(Patch(server.Url(), Root() / "client", &out), 0);
    // 10 changed, 5 added, the big file and the loose file.
    EXPECT_NE(out.find("downloaded 17 files"), std::string::npos) << out;
    EXPECT_FALSE(stdfs::exists(Root() / "client/KVGame/Movies/stray.bik"));
    EXPECT_TRUE(stdfs::exists(Root() / "client/KVGame/CookedPC/mine.txt"))
        << "only movie and release folders";
    stdfs::remove(Root() / "client/KVGame/CookedPC/mine.txt");
    EXPECT_TRUE(SameContent(ClientContent(Root() / "client", Root() / "x2"), s_v2));
}

TEST_F(PatchChain, S3_DamagedPakDataIsRepairedByTheNextPatch)
{
    // Flip one stored byte of a packed file.
    ZP::CFileInfo victim;
    {
        ZP::CPakMgr set;
        ASSERT_EQ(set.OpenSet(platform::text::Utf8ToWide((Root() / "client/res.pak").string()), false), 1);
        const ZP::CFileInfo* r = set.FindByPathAll(L"KVGame/Movies/intro.bik");
        ASSERT_NE(r, nullptr);
        victim.CopyFrom(*r);
    }
    std::string pak = Read(Root() / "client/res.pak");
    pak[victim.base.FilePos + 100] ^= 0x40;
    Write(Root() / "client/res.pak", pak);

    // The verification pass puts it on the repair list of the game folder.
    {
        ZP::CPakMgr set;
        ASSERT_EQ(set.OpenSet(platform::text::Utf8ToWide((Root() / "client/res.pak").string()), true), 1);
        ZP::CPakRepairUtil util; // points the list at "_tmp": set the game's folder after it
        ZP::CPakRepair::Get().SetFolder(0, platform::text::Utf8ToWide((Root() / "client/_tmp").string()));
        EXPECT_EQ(util.VerifyAll(&set), 1);
    }
    std::string list = Read(Root() / "client/_tmp/repair.info");
    EXPECT_NE(list.find("KVGame/Movies/intro.bik"), std::string::npos) << list;

    Nginx server(Root() / "server", Root() / "nginx3");
    std::string out;
    ASSERT_EQ(Patch(server.Url(), Root() / "client", &out), 0);
    EXPECT_NE(out.find("downloaded 1 files"), std::string::npos) << out;
    EXPECT_FALSE(stdfs::exists(Root() / "client/_tmp/repair.info"));
    EXPECT_TRUE(SameContent(ClientContent(Root() / "client", Root() / "x3"), s_v2));
}

TEST_F(PatchChain, S4_KilledPatchesAreFinishedByTheNextRun)
{
    // A slow server so that a kill lands in the middle of the downloads.
    Nginx slow(Root() / "server", Root() / "nginx4", "6m");
    for (double seconds : {0.2, 0.7, 1.5, 2.5})
    {
        stdfs::path client = Root() / "client-kill";
        stdfs::remove_all(client);
        ASSERT_EQ(RunCommand("cp -a '" + (Root() / "client-v1").string() + "' '" + client.string() + "'"), 0);
        RunCommand("timeout -s KILL " + std::to_string(seconds) + " " + Zpak() + " patch " + slow.Url() +
                   " '" + client.string() + "' res.pak");
        std::string out;
        ASSERT_EQ(Patch(slow.Url(), client, &out), 0)
            << "after a kill at " << seconds << " s: " << out << "\n"
            << Read(client / "Log" / stdfs::directory_iterator(client / "Log")->path().filename());
        EXPECT_TRUE(SameContent(ClientContent(client, Root() / "x4"), s_v2))
            << "after a kill at " << seconds << " s";
    }
}

TEST_F(PatchChain, S5_HostileNamesAreRefused)
{
    // A server whose list also names files outside the game folder.
    stdfs::path hostile = Root() / "hostile";
    ASSERT_EQ(RunCommand("cp -a '" + (Root() / "server").string() + "' '" + hostile.string() + "'"), 0);
    stdfs::path work = Root() / "hostile-work";
    ASSERT_EQ(ZP::ExtractZip(platform::text::Utf8ToWide((hostile / "Info/ServerFiles.zip").string()),
                             platform::text::Utf8ToWide(work.string())),
              1);
    std::wstring listPath = platform::text::Utf8ToWide((work / "_tmp/ServerFiles.info").string());
    ZP::vFileInfo list;
    ZP::sFileListSaveLoad header;
    header.list = &list;
    {
        ZP::CFile in;
        ASSERT_EQ(in.Open(listPath.c_str(), ZP::kModeRead, 0), 1);
        ASSERT_EQ(ZP::CFileInfoUtil::LoadFileList(&in, &header), 1);
    }
    for (const wchar_t* name : {L"../escaped.txt", L"/tmp/velmora-absolute.txt", L"KVGame/../../escaped2.txt",
                                L"C:evil.txt", L"..\\escaped3.txt"})
    {
        auto* r = new ZP::CFileInfo;
        r->CopyFrom(*list.At(0));
        r->SetName(name);
        r->base.Loc = ZP::kLocLoose;
        list.Add(r);
    }
    {
        ZP::CFile out;
        ASSERT_EQ(out.Open(listPath.c_str(), ZP::kModeCreate, 0), 1);
        ASSERT_EQ(ZP::CFileInfoUtil::SaveFileList(&out, &header), 1);
    }
    ASSERT_EQ(ZP::WriteZip(platform::text::Utf8ToWide((hostile / "Info/ServerFiles.zip").string()),
                           {{"_tmp/ServerFiles.info", listPath}}),
              1);
    auto before = Tree(Root() / "client").size();
    Nginx server(hostile, Root() / "nginx5");
    // Everything else is patched, but the game is not complete: the run says so and fails.
    std::string out;
    ASSERT_EQ(Patch(server.Url(), Root() / "client", &out), 1) << out;
    // Printed names escape a backslash, so a name cannot pose as an escape sequence.
    for (const char* name : {"../escaped.txt", "/tmp/velmora-absolute.txt", "KVGame/../../escaped2.txt",
                             "C:evil.txt", "..\\\\escaped3.txt"})
        EXPECT_NE(out.find(std::string("refused server file name: ") + name + "\n"), std::string::npos)
            << name << out;
    EXPECT_NE(out.find("error 14110: "), std::string::npos) << out;
    EXPECT_FALSE(stdfs::exists(Root() / "escaped.txt"));
    EXPECT_FALSE(stdfs::exists(Root() / "client/../escaped2.txt"));
    EXPECT_FALSE(stdfs::exists("/tmp/velmora-absolute.txt"));
    EXPECT_TRUE(SameContent(ClientContent(Root() / "client", Root() / "x5"), s_v2));
    EXPECT_GE(Tree(Root() / "client").size(), before);
}

TEST_F(PatchChain, S6_ASecondUrlAnswersWhenTheFirstIsDown)
{
    stdfs::path client = Root() / "client-second";
    ASSERT_EQ(RunCommand("cp -a '" + (Root() / "client-v1").string() + "' '" + client.string() + "'"), 0);
    Nginx server(Root() / "server", Root() / "nginx6");
    // Port 1 on 127.0.0.1: nothing listens there.
    ASSERT_EQ(Patch("http://127.0.0.1:1", client, nullptr, "--url " + server.Url()), 0);
    EXPECT_TRUE(SameContent(ClientContent(client, Root() / "x6"), s_v2));
}
} // namespace
