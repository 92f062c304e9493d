// Names the tools must not print raw or store cut.
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"

#include <algorithm>
#include <gtest/gtest.h>

using testsupport::RunCommand;

namespace
{
std::string Zpak()
{
    return testsupport::BinaryDir() + "/zpak";
}
} // namespace

TEST(ZpakNames, ControlCharactersArePrintedEscaped)
{
    testsupport::TempDir dir;
    const std::wstring names[] = {L"new\nline", L"tab\tx", L"esc\x1b[31mred"};
    const std::string printed[] = {"new\\nline", "tab\\tx", "esc\\x1B[31mred"};
    ZP::vFileInfo list;
    for (const std::wstring& name : names)
    {
        dir.WriteFile(L"src/" + name, "x");
        auto* r = new ZP::CFileInfo;
        r->SetName(name);
        r->base.Loc = ZP::kLocPak;
        list.Add(r);
    }
    {
        ZP::CFile out;
        ASSERT_EQ(out.Open(dir.Join(L"l.info").c_str(), ZP::kModeCreate, 0), 1);
        ZP::sFileListSaveLoad header;
        header.list = &list;
        ASSERT_EQ(ZP::CFileInfoUtil::SaveFileList(&out, &header), 1);
    }
    const std::string d = dir.NativePath();
    std::string out, err;
    ASSERT_EQ(RunCommand(Zpak() + " add " + d + "/g.pak " + d + "/src", &out, &err), 0) << err;
    for (const std::string& command : {"ls " + d + "/g.pak", "info " + d + "/l.info"})
    {
        ASSERT_EQ(RunCommand(Zpak() + " " + command, &out, &err), 0) << err;
        EXPECT_EQ(out.find('\x1b'), std::string::npos) << command;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), command[0] == 'l' ? 4 : 7) << command << "\n"
                                                                                       << out;
        for (const std::string& p : printed)
            EXPECT_NE(out.find("\n" + p + "\t"), std::string::npos) << command << ": " << p << "\n" << out;
    }
}

TEST(ZpakNames, NamesLongerThanARecordHoldsAreRefused)
{
    testsupport::TempDir dir;
    // Two paths that differ only after character 255.
    const std::wstring folder = std::wstring(120, L'd') + L"/" + std::wstring(120, L'e') + L"/";
    const std::wstring first = folder + std::wstring(20, L'f') + L"1",
                       second = folder + std::wstring(20, L'f') + L"2";
    ASSERT_GT(first.size(), 255u);
    dir.WriteFile(L"src/" + first, "one");
    dir.WriteFile(L"src/" + second, "two");
    dir.WriteFile(L"src/short", "ok");
    const std::string d = dir.NativePath();
    std::string out, err;
    EXPECT_EQ(RunCommand(Zpak() + " add " + d + "/g.pak " + d + "/src", &out, &err), 1);
    EXPECT_NE(err.find(platform::text::WideToUtf8(first) + ": error 14108"), std::string::npos) << err;
    EXPECT_NE(err.find(platform::text::WideToUtf8(second) + ": error 14108"), std::string::npos) << err;
    ASSERT_EQ(RunCommand(Zpak() + " ls " + d + "/g.pak", &out, &err), 0) << err;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << "only the short name is stored\n" << out;

    EXPECT_EQ(RunCommand(Zpak() + " publish " + d + "/src " + d + "/server", &out, &err), 1);
    EXPECT_NE(err.find("error 14108"), std::string::npos) << err;
    EXPECT_EQ(RunCommand("test -e " + d + "/server"), 1) << "nothing is published";
}
