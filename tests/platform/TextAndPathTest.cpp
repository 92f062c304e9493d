#include "platform/fs/FileSystem.h"
#include "platform/net/UrlCanonicalize.h"
#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(TextCodec, Cp949RoundTripAndUnmappableCharacters)
{
    // 가 is B0 A1 in CP949; code page 0 is the same Korean ANSI page.
    EXPECT_EQ(text::WideToMultiByte(L"a가", text::kCodePageAnsi), "a\xB0\xA1");
    EXPECT_EQ(text::MultiByteToWide("a\xB0\xA1", text::kCodePageKorean), L"a가");
    // A character CP949 cannot hold becomes one '?', and the rest is kept.
    EXPECT_EQ(text::WideToMultiByte(L"x\u0E01y", text::kCodePageAnsi), "x?y");
    // A truncated double-byte sequence does not swallow what follows it.
    std::wstring w = text::MultiByteToWide(std::string("\xB0", 1), text::kCodePageKorean);
    EXPECT_EQ(w, L"\uFFFD");
}

TEST(TextCodec, Utf8DecodingReplacesInvalidSequences)
{
    struct
    {
        std::string in;
        std::wstring out;
    } cases[] = {
        {"plain", L"plain"},
        {"\xEA\xB0\x80", L"가"},
        {"\xF0\x9F\x98\x80", L"\U0001F600"},
        {"a\xC0\xAF"
         "b",
         L"a\uFFFD\uFFFDb"},         // overlong form of '/'
        {"\xE0\x80", L"\uFFFD"},     // cut short at the end
        {"\xED\xA0\x80", L"\uFFFD"}, // encoded surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(text::Utf8ToWide(c.in), c.out) << c.in;
    EXPECT_EQ(text::WideToUtf8(L"가\U0001F600"), "\xEA\xB0\x80\xF0\x9F\x98\x80");
}

TEST(TextCodec, CaseMappingIgnoresTheProcessLocale)
{
    EXPECT_EQ(text::ToUpper(L"a/b.txt"), L"A/B.TXT");
    EXPECT_EQ(text::ToUpper(L"\u00e9\u0103"), L"\u00c9\u0102");
    EXPECT_EQ(text::CompareNoCase(L"Data/File.PAK", L"data/file.pak"), 0);
    EXPECT_LT(text::CompareNoCase(L"abc", L"ABD"), 0);
    EXPECT_GT(text::CompareNoCase(L"abcd", L"ABC"), 0);
}

TEST(FileSystem, BackslashPathsAndFileHandle)
{
    testsupport::TempDir dir;
    std::wstring folder = dir.Path() + L"\\sub";
    ASSERT_TRUE(fs::CreateOneDirectory(folder));
    EXPECT_TRUE(fs::IsDirectory(dir.Path() + L"/sub"));

    fs::File f;
    ASSERT_TRUE(f.Open(folder + L"\\f.bin", fs::eOpenMode::CreateAlways));
    ASSERT_TRUE(f.WriteAll("0123456789", 10));
    ASSERT_TRUE(f.Seek(4, fs::eSeekOrigin::Begin));
    char buf[3] = {};
    EXPECT_EQ(f.Read(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "456");
    EXPECT_TRUE(f.Truncate(5));
    EXPECT_EQ(f.Size(), 5);
    f.Close();

    fs::sFileStat st;
    ASSERT_TRUE(fs::Stat(dir.Path() + L"/sub/f.bin", st));
    EXPECT_EQ(st.size, 5u);
    EXPECT_FALSE(st.isDirectory);
    EXPECT_TRUE(fs::SetLastWriteTime(folder + L"\\f.bin", fs::sTimeSpec{1000000000, 0}));
    ASSERT_TRUE(fs::Stat(folder + L"/f.bin", st));
    EXPECT_EQ(st.lastWrite.seconds, 1000000000);

    EXPECT_FALSE(f.Open(folder, fs::eOpenMode::Read)) << "a folder is not a file";
    EXPECT_FALSE(f.Open(folder + L"/missing", fs::eOpenMode::Read));
}

TEST(UrlCanonicalize, ResolvesDotsAndEscapesWhatARequestCannotCarry)
{
    struct
    {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"HTTP://Example.COM/a/b", L"http://example.com/a/b"},
        {L"http://h/a/./b/../c", L"http://h/a/c"},
        {L"http://h/a/b/..", L"http://h/a/"},
        {L"http://h/../../x", L"http://h/x"},
        {L"http://h", L"http://h/"},
        {L"http://h:8080\\dir\\file.dat", L"http://h:8080/dir/file.dat"},
        {L"http://h/a b", L"http://h/a%20b"},
        {L"http://h/%ea%b0%80", L"http://h/%ea%b0%80"},
        {L"http://h/x?q=a b", L"http://h/x?q=a%20b"},
    };
    for (const auto& c : cases)
    {
        std::wstring out;
        ASSERT_EQ(net::CanonicalizeUrl(c.in, out), 1) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
    for (const wchar_t* bad :
         {L"", L"no scheme", L"http:/one-slash", L"http://", L"http://h:80x/", L"1http://h/"})
    {
        std::wstring out;
        EXPECT_EQ(net::CanonicalizeUrl(bad, out), net::kErrorInvalidUrl) << bad;
    }
}
