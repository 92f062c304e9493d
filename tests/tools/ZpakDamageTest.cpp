// Damaged paks as the tools meet them: maintenance refuses and keeps the file, inspection reports
// the damage with a non-zero exit and never writes.
#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"

#include <algorithm>
#include <gtest/gtest.h>

using testsupport::RunCommand;

namespace
{
std::string Zpak()
{
    return testsupport::BinaryDir() + "/zpak";
}

void Put(std::string& s, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (8 * i));
}

constexpr size_t kFirstRecord = 512012;
constexpr size_t kRecord = 620;

// A pak of three plain files a, b, c of 4000 bytes each, in that order.
std::string GoodPak(testsupport::TempDir& dir)
{
    for (const char* name : {"a", "b", "c"})
        dir.WriteFile(L"src/" + std::wstring(name, name + 1), testsupport::RandomBytes(4000, name[0]));
    std::string out, err;
    EXPECT_EQ(RunCommand("cd " + dir.NativePath() +
                         "/src && touch -t 202001010000 a && touch -t 202001010001 b && "
                         "touch -t 202001010002 c"),
              0);
    EXPECT_EQ(RunCommand(Zpak() + " add " + dir.NativePath() + "/good.pak " + dir.NativePath() + "/src", &out,
                         &err),
              0)
        << err;
    return dir.ReadFile(L"good.pak");
}

// Where a named record sits in the table (the order "add" wrote them in).
size_t RecordOf(const std::string& pak, char name)
{
    for (size_t i = 0; i < 3; ++i)
        if (pak[kFirstRecord + i * kRecord + 108] == name) return kFirstRecord + i * kRecord;
    return 0;
}

struct sSpoil
{
    const char* what;
    void (*spoil)(std::string&);
};

const sSpoil kDamage[] = {
    {"a record count of 50 with 3 records", [](std::string& s) { Put(s, kFirstRecord - 4, 50); }},
    {"a table cut short", [](std::string& s) { s.resize(kFirstRecord + 700); }},
    {"data cut short", [](std::string& s) { s.resize(s.size() - 1000); }},
};
} // namespace

TEST(ZpakDamage, MaintenanceRefusesADamagedPakAndKeepsIt)
{
    testsupport::TempDir dir;
    const std::string good = GoodPak(dir);
    const std::string pak = dir.NativePath() + "/bad.pak";
    for (const sSpoil& c : kDamage)
        for (const std::string& command :
             {"compact " + pak, "rm " + pak + " a", "add " + pak + " " + dir.NativePath() + "/src"})
        {
            std::string bad = good;
            c.spoil(bad);
            dir.WriteFile(L"bad.pak", bad);
            std::string out, err;
            EXPECT_EQ(RunCommand(Zpak() + " " + command, &out, &err), 1) << c.what << ": " << command;
            EXPECT_NE(err.find("left as it is"), std::string::npos) << c.what << ": " << command << "\n"
                                                                    << err;
            EXPECT_NE(err.find("error 14055"), std::string::npos) << err;
            EXPECT_TRUE(dir.ReadFile(L"bad.pak") == bad) << c.what << ": " << command << " changed the file";
        }
}

TEST(ZpakDamage, VerifyAndExtractFailOnAPakTheyCannotReadInFull)
{
    testsupport::TempDir dir;
    const std::string good = GoodPak(dir);
    const std::string pak = dir.NativePath() + "/bad.pak";
    struct
    {
        sSpoil damage;
        const char* named; // what the report must name
    } cases[] = {
        {kDamage[0], "the info table cannot be read"},
        {kDamage[1], "the info table cannot be read"},
        {kDamage[2], "\t14055\t"}, // the record whose data was cut
        {{"a record of size 0 for 5000 bytes",
          [](std::string& s)
          {
              size_t at = RecordOf(s, 'b');
              Put(s, at + 12, 0);
              Put(s, at + 16, 5000);
          }},
         "b\t14008"},
    };
    for (const auto& c : cases)
    {
        std::string bad = good;
        c.damage.spoil(bad);
        dir.WriteFile(L"bad.pak", bad);
        std::string out, err;
        EXPECT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 1) << c.damage.what;
        EXPECT_NE((out + err).find(c.named), std::string::npos) << c.damage.what << "\n" << out << err;
        EXPECT_EQ(RunCommand(Zpak() + " extract " + pak + " " + dir.NativePath() + "/out", &out, &err), 1)
            << c.damage.what;
        EXPECT_NE(err.find("error 140"), std::string::npos) << c.damage.what << "\n" << err;
        EXPECT_TRUE(dir.ReadFile(L"bad.pak") == bad) << c.damage.what;
    }
}

TEST(ZpakDamage, InspectingAPakWithOverlappingRecordsNeverWritesIt)
{
    testsupport::TempDir dir;
    std::string bad = GoodPak(dir);
    // b's data starts inside a's.
    Put(bad, RecordOf(bad, 'b') + 8, 15728640 + 2000);
    dir.WriteFile(L"bad.pak", bad);
    const std::string pak = dir.NativePath() + "/bad.pak";
    for (const std::string& command :
         {"ls " + pak, "verify " + pak, "extract " + pak + " " + dir.NativePath() + "/out"})
    {
        std::string out, err;
        EXPECT_EQ(RunCommand(Zpak() + " " + command, &out, &err), 1) << command;
        EXPECT_NE(err.find("overlap"), std::string::npos) << command << "\n" << err;
        EXPECT_TRUE(dir.ReadFile(L"bad.pak") == bad) << command << " changed the file";
    }
    // A command that writes repairs it: both overlapping records go, the third stays.
    std::string out, err;
    ASSERT_EQ(RunCommand(Zpak() + " compact " + pak, &out, &err), 0) << err;
    ASSERT_EQ(RunCommand(Zpak() + " verify " + pak, &out, &err), 0) << out << err;
    ASSERT_EQ(RunCommand(Zpak() + " ls " + pak, &out, &err), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_EQ(out.find("\nb\t"), std::string::npos) << out;
}
