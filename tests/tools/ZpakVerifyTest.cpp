#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"

#include <gtest/gtest.h>
#include <sstream>

using testsupport::RunCommand;

namespace
{
using testsupport::Zpak;

// FilePos of a record as "zpak ls" prints it.
size_t FilePosOf(const std::string& listing, const std::string& name)
{
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, name.size() + 1, name + "\t") == 0)
        {
            std::istringstream fields(line);
            std::string field;
            for (int i = 0; i < 3; ++i)
                std::getline(fields, field, '\t');
            return std::stoul(field);
        }
    return 0;
}
} // namespace

TEST(ZpakVerify, NamesDamagedRecordsWithTheirCode)
{
    testsupport::TempDir dir;
    std::string data = testsupport::PatternBytes(40000, 7, 251);
    dir.WriteFile(L"src/Data/a.bin", data);
    dir.WriteFile(L"src/Data/b.bin", data.substr(1000));
    dir.WriteFile(L"src/Text/c.txt", std::string(90000, 'c'));
    dir.WriteFile(L"src/empty", "");
    std::string d = dir.NativePath();
    std::string pak = d + "/game.pak";
    std::string out, err;
    ASSERT_EQ(RunCommand(Zpak() + " add " + pak + " " + d + "/src --method zlib", &out, &err), 0) << err;

    ASSERT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 0) << err;
    EXPECT_EQ(out, "") << "an intact set (an empty record included) reports nothing";
    EXPECT_NE(err.find("100%"), std::string::npos) << err;

    ASSERT_EQ(RunCommand(Zpak() + " ls " + pak, &out, &err), 0);
    size_t pos = FilePosOf(out, "Data/b.bin");
    ASSERT_GT(pos, 0u) << out;
    std::string bytes = dir.ReadFile(L"game.pak");
    bytes[pos + 7] ^= 0x10;
    dir.WriteFile(L"game.pak", bytes);
    EXPECT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 1) << err;
    EXPECT_EQ(out, "Data/b.bin\t14071\t팩 안의 CRC 값이 정보와 다릅니다.\n");

    EXPECT_EQ(RunCommand(Zpak() + " verify " + d + "/missing.pak", &out, &err), 1);
    EXPECT_EQ(err, "error 14014: 파일 열기에 실패했습니다.\n");
    EXPECT_EQ(RunCommand(Zpak() + " verify", &out, &err), 2);
}
