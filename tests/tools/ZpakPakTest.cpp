#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>
#include <sstream>

using testsupport::RunCommand;

namespace
{
using testsupport::Zpak;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

TEST(ZpakPak, AddListExtractRemoveCompact)
{
    testsupport::TempDir dir;
    std::string big = testsupport::PatternBytes(300000, 131, 7);
    dir.WriteFile(L"src/Data/big.bin", big);
    dir.WriteFile(L"src/readme.txt", "hello pak");
    dir.WriteFile(L"src/empty", "");
    std::string d = dir.NativePath();

    for (const char* method : {"none", "zlib", "lzma"})
    {
        std::string pak = d + "/" + method + ".pak";
        std::string out, err;
        ASSERT_EQ(RunCommand(Zpak() + " add " + pak + " " + d + "/src --method " + method, &out, &err), 0)
            << err;
        ASSERT_EQ(RunCommand(Zpak() + " ls " + pak, &out, &err), 0) << err;
        std::vector<std::string> lines = Lines(out);
        ASSERT_EQ(lines.size(), 4u) << out;
        EXPECT_EQ(lines[0], "Name\tVolume\tFilePos\tsize\tOrgSize\tzip\tenc\tdeleted\tLoc\tOrgCrc");
        std::string target = d + "/out-" + method;
        ASSERT_EQ(RunCommand(Zpak() + " extract " + pak + " " + target, &out, &err), 0) << err;
        EXPECT_EQ(RunCommand("diff -r " + d + "/src " + target, &out, &err), 0) << out;
    }

    std::string pak = d + "/none.pak";
    std::string out, err;
    EXPECT_EQ(RunCommand(Zpak() + " rm " + pak + " readme.txt no/such.file", &out, &err), 1);
    EXPECT_NE(err.find("no/such.file: error 14021"), std::string::npos) << err;
    ASSERT_EQ(RunCommand(Zpak() + " compact " + pak, &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(Zpak() + " ls " + pak, &out, &err), 0);
    EXPECT_EQ(out.find("readme.txt"), std::string::npos);
    EXPECT_EQ(RunCommand(Zpak() + " ls " + d + "/missing.pak", &out, &err), 1);
    EXPECT_EQ(err, "error 14014: 파일 열기에 실패했습니다.\n");
    EXPECT_EQ(RunCommand(Zpak() + " add " + pak + " " + d + "/src --method zip9", &out, &err), 2);
}
