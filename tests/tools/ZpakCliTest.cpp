#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::RunCommand;
using testsupport::Zpak;

TEST(ZpakCli, CrcPrintsCrcSumAndName)
{
    testsupport::TempDir dir;
    dir.WriteFile(L"digits.txt", "123456789");
    dir.WriteFile(L"ff01.bin", std::string("\xFF\x01", 2));
    dir.WriteFile(L"empty", "");
    std::string out, err;
    std::string d = dir.NativePath();
    ASSERT_EQ(RunCommand(Zpak() + " crc " + d + "/digits.txt " + d + "/ff01.bin " + d + "/empty", &out, &err),
              0)
        << err;
    EXPECT_EQ(out, "cbf43926 477 " + d + "/digits.txt\n" + "a5fadf1b 0 " + d + "/ff01.bin\n" + "00000000 0 " +
                       d + "/empty\n");
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
    EXPECT_EQ(out, "PathKey " + lines[0] + "\nNameKey " + lines[1] + "\nExtKey " + lines[2] + "\nDirKey " +
                       lines[3] + "\n");
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

TEST(ZpakCli, InfoDumpsAListFile)
{
    testsupport::TempDir dir;
    // Header with no strings, one record, closing magic; written byte by byte.
    std::string list = "FILS" + std::string(16, '\0') + "FILZ" + std::string("\x01\0\0\0", 4);
    std::string record(108, '\0');
    auto put = [&record](size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            record[at + i] = static_cast<char>(v >> (8 * i));
    };
    put(8, 4096);        // FilePos
    put(12, 10);         // size
    put(16, 12);         // OrgSize
    put(36, 1700000000); // FileTime
    put(64, 1);          // Loc
    put(68, 0x00534946); // "FIS"
    put(76, 20231114);
    put(80, 221320);
    put(84, 0xABCDEF01); // OrgCrc
    put(92, 0x32435243); // "CRC2"
    std::string name(512, '\0');
    name[0] = 'a';
    name[2] = '/';
    name[4] = 'b';
    list += record + name + std::string("\x1c\0\0\0", 4) + "FILE";
    dir.WriteFile(L"l.info", list);
    std::string out, err;
    ASSERT_EQ(RunCommand(Zpak() + " info " + dir.NativePath() + "/l.info", &out, &err), 0) << err;
    EXPECT_EQ(
        out, "len1 0\nlen2 0\nlen3 0\n"
             "Name\tLoc\tdeleted\tFilePos\tsize\tOrgSize\tzip\tenc\tunzipsize\tFileTime\tDate\tTime\tOrgCrc\t"
             "ZipCrc\tCrcSign\n"
             "a/b\t1\t0\t4096\t10\t12\t0\t0\t0\t1700000000\t20231114\t221320\tabcdef01\t00000000\tCRC2\n");
    dir.WriteFile(L"bad.info", "NOPE");
    EXPECT_EQ(RunCommand(Zpak() + " info " + dir.NativePath() + "/bad.info", &out, &err), 1);
    EXPECT_EQ(err, "error 14004: 사용할 수 없는 데이터입니다.\n");
}
