#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::RunCommand;

namespace
{
std::string Zpak() { return testsupport::BinaryDir() + "/zpak"; }
} // namespace

TEST(ZpakCli, CrcPrintsCrcSumAndName)
{
    testsupport::TempDir dir;
    dir.WriteFile(L"digits.txt", "123456789");
    dir.WriteFile(L"ff01.bin", std::string("\xFF\x01", 2));
    dir.WriteFile(L"empty", "");
    std::string out, err;
    std::string d = dir.NativePath();
    ASSERT_EQ(RunCommand(Zpak() + " crc " + d + "/digits.txt " + d + "/ff01.bin " + d + "/empty", &out, &err), 0)
        << err;
    EXPECT_EQ(out, "cbf43926 477 " + d + "/digits.txt\n" + "a5fadf1b 0 " + d + "/ff01.bin\n" + "00000000 0 " + d +
                       "/empty\n");
    EXPECT_EQ(RunCommand(Zpak() + " crc " + d + "/missing", &out, &err), 1);
    EXPECT_NE(err.find("missing"), std::string::npos);
}

TEST(ZpakCli, HashPrintsTheFourNameKeys)
{
    std::string out;
    ASSERT_EQ(RunCommand(Zpak() + " hash a/b.TXT", &out), 0);
    // PathKey is the CRC-32 of "A/B.TXT"; the others of "B.TXT", ".TXT" and "A".
    testsupport::TempDir dir;
    dir.WriteFile(L"p", "A/B.TXT");
    dir.WriteFile(L"n", "B.TXT");
    dir.WriteFile(L"e", ".TXT");
    dir.WriteFile(L"d", "A");
    std::string crcs;
    std::string d = dir.NativePath();
    ASSERT_EQ(RunCommand(Zpak() + " crc " + d + "/p " + d + "/n " + d + "/e " + d + "/d", &crcs), 0);
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < crcs.size();)
    {
        size_t end = crcs.find('\n', pos);
        lines.push_back(crcs.substr(pos, 8));
        pos = end + 1;
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(out, "PathKey " + lines[0] + "\nNameKey " + lines[1] + "\nExtKey " + lines[2] + "\nDirKey " + lines[3] +
                       "\n");
}

TEST(ZpakCli, UsageErrorsExitWithTwo)
{
    std::string err;
    for (const char* args : {"", " nosuch", " crc", " hash", " hash a b"})
    {
        EXPECT_EQ(RunCommand(Zpak() + args, nullptr, &err), 2) << args;
        EXPECT_NE(err.find("usage: zpak"), std::string::npos) << args;
    }
}
