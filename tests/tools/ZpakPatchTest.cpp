// "zpak patch" as a user runs it: its work folder, and what it says when something fails.
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using testsupport::RunCommand;
namespace stdfs = std::filesystem;

namespace
{
std::string Zpak()
{
    return testsupport::BinaryDir() + "/zpak";
}

void Write(const stdfs::path& path, const std::string& bytes)
{
    stdfs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A published game of three small files.
class ZpakPatch : public ::testing::Test
{
public:
    void SetUp() override
    {
        Write(Root() / "game/a.bin", testsupport::RandomBytes(30000, 1));
        Write(Root() / "game/sub/b.bin", testsupport::RandomBytes(20000, 2));
        Write(Root() / "game/c.bin", testsupport::RandomBytes(10000, 3));
        std::string err;
        ASSERT_EQ(
            RunCommand(Zpak() + " publish '" + (Root() / "game").string() + "' '" + Server().string() + "'",
                       nullptr, &err),
            0)
            << err;
    }

    stdfs::path Root() const { return m_dir.NativePath(); }
    stdfs::path Server() const { return Root() / "server"; }

    // The published data file of one game file.
    stdfs::path DataOf(const std::string& name) const
    {
        for (const auto& e : stdfs::recursive_directory_iterator(Server() / "Datas"))
            if (e.path().filename().string().rfind(stdfs::path(name).filename().string() + "_", 0) == 0)
                return e.path();
        ADD_FAILURE() << "no data file for " << name;
        return {};
    }

    int Patch(const std::string& url, const std::string& client, std::string* err,
              const std::string& env = "")
    {
        std::string out;
        return RunCommand(env + " " + Zpak() + " patch " + url + " '" + (Root() / client).string() +
                              "' res.pak",
                          &out, err);
    }

    testsupport::TempDir m_dir;
};
} // namespace

// The list carries no permissions: a program of the game (ELF or "#!") arrives runnable, data does not.
TEST_F(ZpakPatch, ProgramsOfTheGameArriveRunnable)
{
    Write(Root() / "prog/run.sh", "#!/bin/sh\necho ok\n");
    Write(Root() / "prog/bin/client", std::string("\x7f"
                                                  "ELF") +
                                          testsupport::RandomBytes(2000, 4));
    Write(Root() / "prog/notes.txt", "#not a program\n");
    std::string err;
    ASSERT_EQ(RunCommand(Zpak() + " publish '" + (Root() / "prog").string() + "' '" +
                             (Root() / "progsrv").string() + "' --loose '*'",
                         nullptr, &err),
              0)
        << err;
    testsupport::TestHttpServer server(Root() / "progsrv");
    ASSERT_EQ(Patch(server.Url(""), "installed", &err), 0) << err;
    auto runnable = [&](const char* name)
    {
        return (stdfs::status(Root() / "installed" / name).permissions() & stdfs::perms::owner_exec) !=
               stdfs::perms::none;
    };
    EXPECT_TRUE(runnable("run.sh"));
    EXPECT_TRUE(runnable("bin/client"));
    EXPECT_FALSE(runnable("notes.txt"));
    std::string out;
    EXPECT_EQ(RunCommand("'" + (Root() / "installed/run.sh").string() + "'", &out), 0);
    EXPECT_EQ(out, "ok\n");
}

TEST_F(ZpakPatch, EachRunWorksInAFolderOfItsOwn)
{
    // Somebody planted the old fixed work folder name as a link to a folder they want emptied.
    stdfs::path temp = Root() / "tmp";
    Write(Root() / "victim/precious", "x");
    stdfs::create_directories(temp);
    stdfs::create_directory_symlink(Root() / "victim", temp / "_tmp");
    testsupport::TestHttpServer server(Server());
    const std::string env = "TMPDIR='" + temp.string() + "'";
    std::string err;
    ASSERT_EQ(Patch(server.Url(""), "client", &err, env), 0) << err;
    EXPECT_TRUE(stdfs::exists(Root() / "victim/precious"));
    EXPECT_EQ(std::distance(stdfs::directory_iterator(Root() / "victim"), {}), 1)
        << "nothing written through it";
    EXPECT_EQ(std::distance(stdfs::directory_iterator(temp), {}), 1) << "the run's own folder is gone";

    // Two games patched at once while their lists arrive slowly: both lists are in flight together.
    server.SetFault("/Info/ServerFiles.zip",
                    {.stallAfterBytes = 64, .stallFor = std::chrono::milliseconds(300)});
    for (int round = 0; round < 3; ++round)
    {
        std::string out;
        std::string one = Zpak() + " patch " + server.Url("") + " '" +
                          (Root() / ("one" + std::to_string(round))).string() + "' res.pak >/dev/null 2>&1";
        std::string two = Zpak() + " patch " + server.Url("") + " '" +
                          (Root() / ("two" + std::to_string(round))).string() + "' res.pak >/dev/null 2>&1";
        ASSERT_EQ(RunCommand("export " + env + "; " + one + " & a=$!; " + two + "; b=$?; wait $a; echo $? $b",
                             &out),
                  0);
        EXPECT_EQ(out, "0 0\n") << "round " << round;
    }
}

TEST_F(ZpakPatch, AFailureNamesItsFileAndItsRealCause)
{
    struct
    {
        const char* what;
        void (*spoil)(ZpakPatch& self);
        std::string expected; // start of the error line
    } cases[] = {
        {"missing data file", [](ZpakPatch& self) { stdfs::remove(self.DataOf("a.bin")); },
         "a.bin: error 14054: "},
        {"corrupt data file",
         [](ZpakPatch& self)
         {
             stdfs::path data = self.DataOf("sub/b.bin");
             Write(data, std::string(stdfs::file_size(data), 'z'));
         },
         "sub/b.bin: error 14042: "},
        {"missing list", [](ZpakPatch& self) { stdfs::remove(self.Server() / "Info/ServerFiles.zip"); },
         "Info/ServerFiles.zip: error 14054: "},
    };
    for (const auto& c : cases)
    {
        stdfs::remove_all(Server());
        SetUp();
        c.spoil(*this);
        testsupport::TestHttpServer server(Server());
        std::string err;
        EXPECT_EQ(Patch(server.Url(""), std::string("client-") + c.what, &err), 1) << c.what;
        EXPECT_NE(err.find(c.expected), std::string::npos) << c.what << ": " << err;
        EXPECT_EQ(err.find("14003"), std::string::npos) << c.what << ": " << err;
    }
}
