// A patch run against a small published game on the in-process server: one writer at a time per
// game folder, and damage found by verification is fetched again.
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/archive/ZipArchive.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/message/ResultCodes.h"
#include "zpak/pak/PakLock.h"

#include <gtest/gtest.h>
#include <sstream>
#include <thread>

using testsupport::RunCommand;

namespace
{
std::string Zpak()
{
    return testsupport::BinaryDir() + "/zpak";
}

class PatchFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 6; ++i)
            dir.WriteFile(L"game/Data/f" + std::to_wstring(i) + L".bin",
                          testsupport::RandomBytes(30000 + i * 1000, i));
        std::string out, err;
        ASSERT_EQ(
            RunCommand(Zpak() + " publish " + D() + "/game " + D() + "/server --lzma 'Data/f5*'", &out, &err),
            0)
            << err;
        server = std::make_unique<testsupport::TestHttpServer>(D() + "/server");
    }

    std::string D() const { return dir.NativePath(); }
    std::string Client() const { return D() + "/client"; }

    int Patch(std::string* out, const std::string& options = "", const std::string& client = "")
    {
        std::string err;
        int r = RunCommand(Zpak() + " patch " + server->Url("") + " " + (client.empty() ? Client() : client) +
                               " res.pak " + options,
                           out, &err);
        *out += err;
        return r;
    }

    // Flips one stored byte of a packed file of the client.
    void Spoil(const std::string& name)
    {
        std::string out;
        ASSERT_EQ(RunCommand(Zpak() + " ls " + Client() + "/res.pak", &out), 0);
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(name + "\t", 0) == 0)
            {
                std::istringstream fields(line);
                std::string field;
                for (int i = 0; i < 3; ++i)
                    std::getline(fields, field, '\t');
                std::wstring pak = L"client/res.pak";
                std::string bytes = dir.ReadFile(pak);
                bytes[std::stoul(field) + 100] ^= 0x20;
                dir.WriteFile(pak, bytes);
                return;
            }
        FAIL() << name << " not in\n" << out;
    }

    // Rewrites the published list with one record changed.
    void ChangeServerRecord(const std::wstring& name, void (*change)(ZP::CFileInfo&))
    {
        std::wstring zip = platform::text::Utf8ToWide(D() + "/server/Info/ServerFiles.zip");
        std::wstring work = dir.Join(L"work");
        ASSERT_EQ(ZP::ExtractZip(zip, work), 1);
        std::wstring info = work + L"/_tmp/ServerFiles.info";
        ZP::vFileInfo list;
        ZP::sFileListSaveLoad header;
        header.list = &list;
        {
            ZP::CFile in;
            ASSERT_EQ(in.Open(info.c_str(), ZP::kModeRead, 0), 1);
            ASSERT_EQ(ZP::CFileInfoUtil::LoadFileList(&in, &header), 1);
        }
        for (ZP::CFileInfo* r : list)
            if (r->Name() == name) change(*r);
        {
            ZP::CFile out;
            ASSERT_EQ(out.Open(info.c_str(), ZP::kModeCreate, 0), 1);
            ASSERT_EQ(ZP::CFileInfoUtil::SaveFileList(&out, &header), 1);
        }
        ASSERT_EQ(ZP::WriteZip(zip, {{"_tmp/ServerFiles.info", info}}), 1);
    }

    testsupport::TempDir dir;
    std::unique_ptr<testsupport::TestHttpServer> server;
};
} // namespace

TEST_F(PatchFixture, OneWriterAtATimePerGameFolder)
{
    std::string out;
    ASSERT_EQ(Patch(&out), 0) << out;
    const std::string pak = Client() + "/res.pak";
    {
        // Another run holds the folder: every writer and reader is turned away at once.
        ZP::CPakLock other;
        ASSERT_EQ(other.Acquire({platform::text::Utf8ToWide(Client())}, true, false), 1);
        for (const std::string& command :
             {" patch " + server->Url("") + " " + Client() + " res.pak", " add " + pak + " " + D() + "/game",
              " rm " + pak + " Data/f0.bin", " compact " + pak, " ls " + pak, " verify " + pak})
        {
            std::string err;
            EXPECT_EQ(RunCommand(Zpak() + command, &out, &err), 1) << command;
            EXPECT_NE(err.find("error 14107"), std::string::npos) << command << "\n" << err;
        }
        // With --wait a writer runs once the holder lets go.
        int waited = -1;
        std::thread patch([&] { waited = RunCommand(Zpak() + " rm " + pak + " Data/f0.bin --wait"); });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(waited, -1) << "it waits";
        other.Release();
        patch.join();
        EXPECT_EQ(waited, 0);
    }

    // Two real writers at once into one pak: both wait their turn, no record is lost or damaged.
    for (const char* folder : {"s1", "s2"})
        for (int i = 0; i < 15; ++i)
            dir.WriteFile(
                platform::text::Utf8ToWide(std::string(folder) + "/" + folder + "_" + std::to_string(i)),
                testsupport::RandomBytes(100000, i + 100 * folder[1]));
    const std::string two = D() + "/two.pak";
    ASSERT_EQ(RunCommand("(" + Zpak() + " add " + two + " " + D() + "/s1 --wait & " + Zpak() + " add " + two +
                         " " + D() + "/s2 --wait; r=$?; wait $! && exit $r) 2>/dev/null"),
              0);
    ASSERT_EQ(RunCommand(Zpak() + " ls " + two, &out), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 31) << out;
    std::string err;
    EXPECT_EQ(RunCommand(Zpak() + " verify " + two, &out, &err), 0) << out << err;
}

TEST_F(PatchFixture, DamageFoundByVerificationIsFetchedAgain)
{
    std::string out;
    ASSERT_EQ(Patch(&out), 0) << out;
    const std::string pak = Client() + "/res.pak";

    // zpak verify names it and puts it on the repair list the next run reads.
    Spoil("Data/f2.bin");
    std::string err;
    EXPECT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 1);
    EXPECT_EQ(out, "Data/f2.bin\t14071\t팩 안의 CRC 값이 정보와 다릅니다.\n");
    ASSERT_EQ(Patch(&out), 0) << out;
    EXPECT_NE(out.find("downloaded 1 files"), std::string::npos) << out;
    EXPECT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 0) << out << err;

    // patch --verify finds it without a list (a compressed file this time).
    Spoil("Data/f5.bin");
    ASSERT_EQ(Patch(&out), 0) << out;
    EXPECT_NE(out.find("downloaded 0 files"), std::string::npos) << "without --verify nobody looks\n" << out;
    ASSERT_EQ(Patch(&out, "--verify"), 0) << out;
    EXPECT_NE(out.find("downloaded 1 files"), std::string::npos) << out;
    EXPECT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 0) << out << err;
    EXPECT_EQ(RunCommand("test -e " + Client() + "/_tmp/repair.info"), 1) << "the list is used up";
}

TEST_F(PatchFixture, ServerDataThatCannotBeDecodedIsNotStored)
{
    struct
    {
        const char* what;
        void (*change)(ZP::CFileInfo&);
    } cases[] = {
        {"OrgSize 0xFFFFFFF0", [](ZP::CFileInfo& r) { r.base.OrgSize = 0xFFFFFFF0u; }},
        {"size 0", [](ZP::CFileInfo& r) { r.base.size = 0; }},
    };
    int n = 0;
    for (const auto& c : cases)
    {
        ChangeServerRecord(L"Data/f3.bin", c.change);
        std::string client = D() + "/c" + std::to_string(n++), out, err;
        EXPECT_NE(Patch(&out, "", client), 0) << c.what << "\n" << out;
        ASSERT_EQ(RunCommand(Zpak() + " ls " + client + "/res.pak", &out, &err), 0) << c.what << err;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("Data/f3.bin\t", 0) == 0)
            {
                std::istringstream fields(line);
                std::string field;
                for (int i = 0; i < 8; ++i)
                    std::getline(fields, field, '\t');
                EXPECT_EQ(field, "1") << c.what << ": stored as a live file\n" << out;
            }
        EXPECT_EQ(RunCommand(Zpak() + " verify " + client + "/res.pak", &out, &err), 0)
            << c.what << out << err;
    }
}
