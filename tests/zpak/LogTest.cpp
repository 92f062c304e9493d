#include "platform/debug/DebugOutput.h"
#include "platform/fs/FileSystem.h"
#include "tests/support/TempDir.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/log/ZpakLog.h"

#include <gtest/gtest.h>
#include <regex>

using ZP::CZpakLog;

namespace
{
// Points the process log into a fresh folder for one test and restores the flag afterwards.
class LogFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ZP::GetLog()->SetLogFileIn(L"LogReport", dir.Path().c_str()));
        CZpakLog::SetWriteThrough(true);
        previousSink =
            platform::debug::SetDebugSink([this](std::wstring_view t) { debugLines.emplace_back(t); });
    }
    void TearDown() override { platform::debug::SetDebugSink(previousSink); }

    std::string FileBytes() const
    {
        std::string bytes;
        ZP::ReadWholeFile(ZP::GetLog()->GetLogFilePath(), bytes);
        return bytes;
    }

    testsupport::TempDir dir;
    std::vector<std::wstring> debugLines;
    platform::debug::DebugSink previousSink;
};
} // namespace

TEST_F(LogFixture, PathFormat)
{
    std::wstring path = ZP::GetLog()->GetLogFilePath();
    std::string native(path.begin(), path.end());
    std::string prefix(dir.NativePath() + "/Log/LogReport_");
    ASSERT_EQ(native.rfind(prefix, 0), 0u) << native;
    EXPECT_TRUE(std::regex_match(native.substr(prefix.size()), std::regex(R"(\d{8}_\d{6}\.log)"))) << native;
    EXPECT_FALSE(ZP::GetLog()->SetLogFileIn(L"", dir.Path().c_str()));
    EXPECT_EQ(ZP::GetLog()->GetLogFilePath(), path) << "an empty stem changes nothing";
}

TEST_F(LogFixture, LinesAreCp949WithCrLfAndTimeStampPrefixes)
{
    EXPECT_TRUE(ZP::GetLog()->Write(L"가 100% done"));
    EXPECT_TRUE(ZP::LogWarnF(L"%s=%d", L"값", 7));
    std::string bytes = FileBytes();
    std::regex shape("\\[\\d{8}_\\d\\d:\\d\\d:\\d\\d\\] \xB0\xA1 100% done\r\n"
                     "\\[--Warning--\\] \\[\\d{8}_\\d\\d:\\d\\d:\\d\\d\\] \xB0\xAA=7\r\n");
    EXPECT_TRUE(std::regex_match(bytes, shape)) << bytes;
    ASSERT_EQ(debugLines.size(), 2u);
    EXPECT_NE(debugLines[0].find(L"100% done\n"), std::wstring::npos)
        << "the debugger sees the percent sign too";
}

TEST_F(LogFixture, EmptyTextsAndNullFormatsWriteNothing)
{
    EXPECT_FALSE(ZP::GetLog()->Write(nullptr));
    EXPECT_FALSE(ZP::GetLog()->Write(L""));
    EXPECT_FALSE(ZP::GetLog()->WriteWarning(L""));
    EXPECT_FALSE(ZP::LogF(nullptr));
    EXPECT_FALSE(ZP::FileExists(ZP::GetLog()->GetLogFilePath()));
}

TEST_F(LogFixture, DeletedLogFolderIsRecreated)
{
    ASSERT_TRUE(ZP::LogF(L"first"));
    ASSERT_TRUE(ZP::RemoveFolderTree(dir.Join(L"Log"), true));
    ASSERT_TRUE(ZP::LogF(L"second"));
    std::string bytes = FileBytes();
    EXPECT_EQ(bytes.find("first"), std::string::npos);
    EXPECT_NE(bytes.find("second\r\n"), std::string::npos);
}

TEST_F(LogFixture, LongTextIsCutToTheLineBuffer)
{
    std::wstring text(5000, L'x');
    ASSERT_TRUE(ZP::GetLog()->Write(text.c_str()));
    std::string bytes = FileBytes();
    // 1023 characters including the prefix and the line end; the file adds the CR.
    EXPECT_EQ(bytes.size(), CZpakLog::kLineChars + 1);
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "x\r\n");
}

TEST_F(LogFixture, ErrorLineShape)
{
    ASSERT_TRUE(
        ZP::LogErrorLine(14003, "/src/launcher/app/Launcher.cpp", "CFernwayLauncher::InitInstance", 42));
    ASSERT_TRUE(ZP_LOG_ERROR(12345678, "CThing::Do"));
    ASSERT_TRUE(ZP_LOG_ERROR(14003, "CThing::Done", 397));
    ASSERT_EQ(debugLines.size(), 3u);
    std::wstring first = debugLines[0];
    EXPECT_EQ(first.rfind(L"[--Warning--] [", 0), 0u);
    EXPECT_NE(first.find(L"] 사용할 수 없는 포인터입니다. - File : Launcher, Function : "
                         L"CFernwayLauncher::InitInstance, Line : 42\n"),
              std::wstring::npos)
        << std::string(first.begin(), first.end());
    EXPECT_NE(debugLines[1].find(L"알수없는 Error - File : LogTest, Function : CThing::Do, Line : "),
              std::wstring::npos);
    // A line fixed by the original module replaces the statement's own.
    EXPECT_NE(debugLines[2].find(L"File : LogTest, Function : CThing::Done, Line : 397\n"),
              std::wstring::npos);
}

TEST_F(LogFixture, HeldLinesWaitForWriteThroughAndFlushRewritesTheFile)
{
    CZpakLog::SetWriteThrough(false);
    size_t before = ZP::GetLog()->GetHeldLines().size();
    ASSERT_TRUE(ZP::LogF(L"held %d", 1));
    EXPECT_FALSE(ZP::FileExists(ZP::GetLog()->GetLogFilePath()));
    std::vector<std::wstring> held = ZP::GetLog()->GetHeldLines();
    ASSERT_EQ(held.size(), before + 1);
    EXPECT_NE(held.back().find(L"held 1\n"), std::wstring::npos);
    CZpakLog::SetWriteThrough(true);

    // FlushHeldLines writes into the working folder: run it from inside the fixture's folder.
    std::wstring cwd = ZP::DefaultFolder(L"");
    ASSERT_TRUE(platform::fs::SetCurrentDirectory(dir.Path()));
    EXPECT_TRUE(ZP::GetLog()->FlushHeldLines(L"Held"));
    std::wstring flushed = ZP::GetLog()->GetLogFilePath();
    platform::fs::SetCurrentDirectory(cwd);
    std::string bytes;
    ASSERT_TRUE(ZP::ReadWholeFile(flushed, bytes));
    EXPECT_NE(bytes.find("held 1\r\n"), std::string::npos);
    EXPECT_EQ(ZP::GetLog()->GetHeldLines().size(), before + 1) << "the held list is not cleared";
    EXPECT_FALSE(ZP::GetLog()->FlushHeldLines(L""));
}
