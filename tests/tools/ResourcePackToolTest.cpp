// The build step that packs resources/: placeholders where no image is committed, committed images
// where they are, and a failed run that leaves the previous pack as it was.
#include "platform/resource/BitmapSize.h"
#include "platform/resource/ResourceModule.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::RunCommand;

namespace
{
std::string Respack()
{
    // A build tool, kept out of bin/ (which is a player's installation).
    return testsupport::BinaryDir() + "/../tools/velmora-respack";
}
} // namespace

TEST(ResourcePackTool, PlaceholdersYieldToCommittedImagesAndFailuresKeepTheOldPack)
{
    testsupport::TempDir dir;
    const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x03\0\0\0\x02", 24) + "rest";
    dir.WriteFile(L"res/bitmap/5.png", png);
    dir.WriteFile(L"res/csv/7.csv", "a,b\r\nend\r\n");
    dir.WriteFile(L"res/bitmaps.txt", "# id w h colour\n5 10 10 FF0000\n6 33 7 00FF00 # trailing note\n\n");
    std::string out = dir.NativePath() + "/bin/FWLDRS.dll";
    std::string command =
        Respack() + " " + out + " " + dir.NativePath() + "/res bitmaps.txt csv/7.csv bitmap/5.png";
    std::string err;
    ASSERT_EQ(RunCommand(command, nullptr, &err), 0) << err;

    auto module = platform::resource::CResourceModule::Open(dir.Join(L"bin/FWLDRS.dll"));
    ASSERT_TRUE(module);
    std::vector<char> bytes;
    ASSERT_EQ(module->Read("bitmap", 5, bytes), platform::resource::eResourceError::None);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), png)
        << "the committed image wins over its placeholder";
    ASSERT_EQ(module->Read("bitmap", 6, bytes), platform::resource::eResourceError::None);
    int w = 0, h = 0;
    ASSERT_TRUE(platform::resource::ReadBitmapSize(bytes.data(), bytes.size(), w, h));
    EXPECT_EQ(w, 33);
    EXPECT_EQ(h, 7);
    EXPECT_EQ(bytes.size(), 54u + ((33u * 3 + 3) & ~3u) * 7) << "rows padded to four bytes";
    EXPECT_TRUE(module->Contains("csv", 7));
    EXPECT_FALSE(module->Contains("bitmaps", 0)) << "the placeholder list itself is not packed";
    module.reset();

    const std::string before = dir.ReadFile(L"bin/FWLDRS.dll");
    ASSERT_EQ(RunCommand(command, nullptr, &err), 0);
    EXPECT_EQ(dir.ReadFile(L"bin/FWLDRS.dll"), before) << "equal inputs give an equal pack";

    dir.WriteFile(L"res/bitmaps.txt", "6 33 seven 00FF00\n");
    EXPECT_NE(RunCommand(command, nullptr, &err), 0);
    EXPECT_NE(err.find("bitmaps.txt line 1"), std::string::npos) << err;
    EXPECT_NE(RunCommand(command + " csv/missing.csv", nullptr, &err), 0);
    dir.WriteFile(L"res/bitmaps.txt", "");
    dir.WriteFile(L"res/bitmap/5.bmp", "BM");
    EXPECT_NE(RunCommand(command + " bitmap/5.bmp", nullptr, &err), 0);
    EXPECT_NE(err.find("name the same resource"), std::string::npos) << err;
    EXPECT_EQ(dir.ReadFile(L"bin/FWLDRS.dll"), before) << "a failed run leaves the previous pack";
}
