#include "platform/resource/ResourceModule.h"
#include "platform/resource/BitmapSize.h"
#include "tests/support/ResourcePackWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using platform::resource::CResourceModule;
using platform::resource::eResourceError;

namespace
{
std::wstring WritePack(const testsupport::TempDir& dir, const std::wstring& name,
                       const testsupport::ResourceEntries& entries, bool stored = false)
{
    std::wstring path = dir.Join(name);
    EXPECT_TRUE(testsupport::WriteResourcePack(path, entries, stored));
    return path;
}

std::string AsString(const std::vector<char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}
} // namespace

TEST(ResourceModule, ServesEntriesByTypeAndIdAndIgnoresStrayNames)
{
    testsupport::TempDir dir;
    std::wstring pack = WritePack(dir, L"FWLDRS.dll",
                                  {{"csv/113.csv", "id,text\r\n1,한글\r\nend\r\n"},
                                   {"bitmap/101.bmp", std::string("BM\0\x01", 4)},
                                   {"dialog/142", "{}"},
                                   {"csv/0007.csv", ""},
                                   {"README.txt", "not a resource"},
                                   {"csv/", ""},
                                   {"csv/sub/5.csv", "nested"},
                                   {"csv/12a.csv", "not a number"},
                                   {"csv/1234567890.csv", "ten digits"}});
    eResourceError why = eResourceError::PackInvalid;
    auto module = CResourceModule::Open(pack, &why);
    ASSERT_TRUE(module) << platform::resource::ResourceErrorText(why);
    EXPECT_EQ(why, eResourceError::None);

    std::vector<char> out;
    ASSERT_EQ(module->Read("csv", 113, out), eResourceError::None);
    EXPECT_EQ(AsString(out), "id,text\r\n1,한글\r\nend\r\n");
    EXPECT_EQ(module->SizeOf("csv", 113), out.size());
    ASSERT_EQ(module->Read("CSV", 113, out), eResourceError::None) << "type names ignore case";
    ASSERT_EQ(module->Read("bitmap", 101, out), eResourceError::None);
    EXPECT_EQ(AsString(out), std::string("BM\0\x01", 4)) << "binary bytes come back exactly";
    EXPECT_TRUE(module->Contains("dialog", 142)) << "the extension is optional";
    ASSERT_EQ(module->Read("csv", 7, out), eResourceError::None) << "leading zeros name the same id";
    EXPECT_TRUE(out.empty());

    out.assign(3, 'x');
    EXPECT_EQ(module->Read("csv", 114, out), eResourceError::NotFound);
    EXPECT_TRUE(out.empty()) << "a failed read leaves no stale bytes";
    EXPECT_EQ(module->Read("bitmap", 113, out), eResourceError::NotFound) << "ids are per type";
    EXPECT_EQ(module->Read("csv", -113, out), eResourceError::NotFound);
    EXPECT_EQ(module->Ids("csv"), (std::vector<int>{7, 113})) << "stray names are not indexed";
}

TEST(ResourceModule, RefusesMissingForeignAndAmbiguousPacks)
{
    testsupport::TempDir dir;
    eResourceError why = eResourceError::None;
    EXPECT_FALSE(CResourceModule::Open(dir.Join(L"FWLDRS.dll"), &why));
    EXPECT_EQ(why, eResourceError::PackMissing);
    EXPECT_FALSE(CResourceModule::Open(L"", &why));
    EXPECT_EQ(why, eResourceError::PackMissing);
    EXPECT_FALSE(CResourceModule::Open(dir.Path(), &why)) << "a folder is no pack";
    EXPECT_EQ(why, eResourceError::PackMissing);

    std::wstring text = dir.WriteFile(L"text.dll", "this is not a zip archive at all\n");
    EXPECT_FALSE(CResourceModule::Open(text, &why));
    EXPECT_EQ(why, eResourceError::PackInvalid);

    std::wstring twice = WritePack(dir, L"twice.dll", {{"csv/113.csv", "first"}, {"CSV/113.txt", "second"}});
    EXPECT_FALSE(CResourceModule::Open(twice, &why)) << "one resource named twice must not be guessed at";
    EXPECT_EQ(why, eResourceError::PackInvalid);
}

TEST(ResourceModule, DamagedOrOversizedEntriesAreRefusedOnRead)
{
    testsupport::TempDir dir;
    const std::string marker = "POSITION-TEXT-THAT-WILL-BE-DAMAGED";
    std::wstring pack =
        WritePack(dir, L"stored.dll", {{"csv/103.csv", marker}, {"csv/104.csv", "intact"}}, true);
    std::string bytes = dir.ReadFile(L"stored.dll");
    size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] ^= 0x20;
    std::wstring damaged = dir.WriteFile(L"damaged.dll", bytes);
    auto module = CResourceModule::Open(damaged);
    ASSERT_TRUE(module);
    std::vector<char> out;
    EXPECT_EQ(module->Read("csv", 103, out), eResourceError::EntryCorrupt) << "the CRC catches the change";
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(module->Read("csv", 104, out), eResourceError::None) << "other entries stay readable";

    // A directory that promises fewer bytes than the entry holds: the read must not trust either.
    bytes = dir.ReadFile(L"stored.dll");
    size_t central = bytes.find("PK\x01\x02");
    ASSERT_NE(central, std::string::npos);
    bytes[central + 24] = 4; // uncompressed size of the first entry
    bytes[central + 25] = bytes[central + 26] = bytes[central + 27] = 0;
    module = CResourceModule::Open(dir.WriteFile(L"short.dll", bytes));
    ASSERT_TRUE(module);
    EXPECT_EQ(module->Read("csv", 103, out), eResourceError::EntryCorrupt);

    std::string huge(platform::resource::kMaxResourceBytes + 1, '\0');
    module = CResourceModule::Open(WritePack(dir, L"huge.dll", {{"bitmap/101.bmp", huge}}));
    ASSERT_TRUE(module);
    EXPECT_EQ(module->Read("bitmap", 101, out), eResourceError::TooLarge);
}

TEST(BitmapSize, ReadsPngAndBmpHeadersAndRefusesBadOnes)
{
    auto png = [](unsigned w, unsigned h)
    {
        std::string s("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
        for (unsigned v : {w, h})
            for (int shift = 24; shift >= 0; shift -= 8)
                s += static_cast<char>((v >> shift) & 0xFF);
        return s + std::string(5, '\0');
    };
    auto bmp = [](uint32_t infoSize, int32_t w, int32_t h)
    {
        std::string s = "BM" + std::string(12, '\0');
        auto put = [&s](uint32_t v, int n)
        {
            for (int i = 0; i < n; ++i)
                s += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        put(infoSize, 4);
        if (infoSize == 12)
        {
            put(static_cast<uint32_t>(w), 2);
            put(static_cast<uint32_t>(h), 2);
            s += std::string(4, '\0');
        }
        else
        {
            put(static_cast<uint32_t>(w), 4);
            put(static_cast<uint32_t>(h), 4);
            s += std::string(infoSize - 12, '\0');
        }
        return s;
    };
    struct sCase
    {
        const char* what;
        std::string bytes;
        bool ok;
        int width, height;
    };
    const sCase cases[] = {
        {"png", png(680, 480), true, 680, 480},
        {"bmp, bottom-up", bmp(40, 20, 26), true, 20, 26},
        {"bmp, top-down rows", bmp(40, 20, -26), true, 20, 26},
        {"bmp, core header", bmp(12, 7, 9), true, 7, 9},
        {"bmp, v5 header", bmp(124, 3, 4), true, 3, 4},
        {"png of width 0", png(0, 10), false, 0, 0},
        {"png wider than the limit", png(70000, 10), false, 0, 0},
        {"bmp of negative width", bmp(40, -5, 5), false, 0, 0},
        {"bmp with an unknown header size", bmp(20, 5, 5), false, 0, 0},
        {"truncated png", png(10, 10).substr(0, 20), false, 0, 0},
        {"truncated bmp", bmp(40, 5, 5).substr(0, 30), false, 0, 0},
        {"text", "hello, world, this is text", false, 0, 0},
    };
    for (const sCase& c : cases)
    {
        int w = 0, h = 0;
        EXPECT_EQ(platform::resource::ReadBitmapSize(c.bytes.data(), c.bytes.size(), w, h), c.ok) << c.what;
        if (c.ok)
        {
            EXPECT_EQ(w, c.width) << c.what;
            EXPECT_EQ(h, c.height) << c.what;
        }
    }
    int w = 0, h = 0;
    EXPECT_FALSE(platform::resource::ReadBitmapSize(nullptr, 100, w, h));
}
