// Private work folders and removing trees that contain (or are) symbolic links.
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace stdfs = std::filesystem;

TEST(FolderSafety, PrivateFoldersAreNewAndOnlyForTheUser)
{
    testsupport::TempDir parent;
    std::wstring a, b;
    ASSERT_TRUE(platform::fs::CreatePrivateDirectory(parent.Path() + L"/", L"work-", a));
    ASSERT_TRUE(platform::fs::CreatePrivateDirectory(parent.Path(), L"work-", b));
    EXPECT_NE(a, b);
    for (const std::wstring& folder : {a, b})
    {
        EXPECT_EQ(folder.rfind(parent.Path() + L"/work-", 0), 0u) << platform::text::WideToUtf8(folder);
        struct stat st;
        ASSERT_EQ(::lstat(platform::text::WideToUtf8(folder).c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    std::wstring unused;
    EXPECT_FALSE(platform::fs::CreatePrivateDirectory(parent.Path() + L"/missing", L"work-", unused));
    EXPECT_FALSE(platform::fs::CreatePrivateDirectory(parent.Path(), L"sub/work-", unused));
}

TEST(FolderSafety, RemovingATreeRemovesLinksAndNeverWhatTheyPointTo)
{
    testsupport::TempDir dir;
    const stdfs::path root = dir.NativePath();
    struct sCase
    {
        const char* what;
        void (*build)(const stdfs::path& tree, const stdfs::path& victim);
    } cases[] = {
        {"the tree itself is a link to the victim", [](const stdfs::path& tree, const stdfs::path& victim)
         { stdfs::create_directory_symlink(victim, tree); }},
        {"a folder inside links to the victim",
         [](const stdfs::path& tree, const stdfs::path& victim)
         {
             stdfs::create_directories(tree / "a/b");
             std::ofstream(tree / "a/b/file") << "x";
             stdfs::create_directory_symlink(victim, tree / "a/link");
         }},
        {"a file link and a dangling link",
         [](const stdfs::path& tree, const stdfs::path& victim)
         {
             stdfs::create_directories(tree);
             stdfs::create_symlink(victim / "precious", tree / "file-link");
             stdfs::create_symlink(victim / "gone", tree / "dangling");
         }},
    };
    int n = 0;
    for (const sCase& c : cases)
    {
        const stdfs::path victim = root / ("victim" + std::to_string(n));
        const stdfs::path tree = root / ("tree" + std::to_string(n++));
        stdfs::create_directories(victim / "inner");
        std::ofstream(victim / "precious") << "keep";
        std::ofstream(victim / "inner/also") << "keep";
        c.build(tree, victim);

        EXPECT_TRUE(platform::fs::RemoveTree(platform::text::Utf8ToWide(tree.string()))) << c.what;
        EXPECT_FALSE(stdfs::exists(stdfs::symlink_status(tree))) << c.what;
        EXPECT_TRUE(stdfs::exists(victim / "precious")) << c.what;
        EXPECT_TRUE(stdfs::exists(victim / "inner/also")) << c.what;
    }
    EXPECT_TRUE(platform::fs::RemoveTree(dir.Join(L"never-there"))) << "nothing left is what was asked";
}
