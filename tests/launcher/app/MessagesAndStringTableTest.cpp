#include "launcher/app/LauncherLog.h"
#include "launcher/app/LauncherMessage.h"
#include "launcher/app/StringTable.h"
#include "platform/debug/DebugOutput.h"
#include "tests/support/TempDir.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/log/ZpakLog.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(LauncherMessage, LauncherCodesOnTopOfTheLibraryTable)
{
    CLauncherMessage launcher;
    ZP::CPatchSystemMessage library;
    EXPECT_STREQ(launcher.GetMessage(14097), L"동일한 런처 버젼");
    EXPECT_STREQ(library.GetMessage(14097), L"알수없는 Error");
    EXPECT_STREQ(launcher.GetMessage(14003), library.GetMessage(14003));
    EXPECT_STREQ(launcher.GetMessage(14091), L"하드 디스크 용량 부족");
    EXPECT_STREQ(launcher.GetMessage(14106), L"게임 설치 중 오류");
    EXPECT_STREQ(launcher.GetMessage(14109), L"알수없는 Error");
    EXPECT_STREQ(launcher.GetMessage(12345678), L"알수없는 Error");

    auto* provider = new CLauncherMessage;
    ZP::SetMessageProvider(provider);
    EXPECT_STREQ(ZP::GetMessageText(14102), L"런처 중복 실행_동일한 게임");
    delete ZP::RestoreDefaultMessageProvider();
    EXPECT_STREQ(ZP::GetMessageText(14102), L"알수없는 Error");
}

TEST(StringTable, SlotsFollowDataLinesWithAValue)
{
    const char csv[] = "key,value\r\na,x\r\nb\r\n\r\nc,y\nend,z\nd,w\n";
    CFWLStringTable table;
    EXPECT_STREQ(table.GetString(1), L"") << "before Load every id is empty";
    ASSERT_EQ(table.Load(csv, std::strlen(csv)), 1);
    EXPECT_STREQ(table.GetString(0), L"");
    EXPECT_STREQ(table.GetString(1), L"x");
    EXPECT_STREQ(table.GetString(2), L"y");
    EXPECT_STREQ(table.GetString(3), L"");
    EXPECT_STREQ(table.GetString(256 + 2), L"y") << "only the low byte of the id counts";
    EXPECT_STREQ(table.GetString(38), L"");
}

TEST(StringTable, Utf8ValuesAndAtMost37Slots)
{
    std::string csv = "id,text\n";
    for (int i = 1; i <= 40; ++i)
        csv += "k" + std::to_string(i) + ",값" + std::to_string(i) + "\n";
    CFWLStringTable table;
    ASSERT_EQ(table.Load(csv.data(), csv.size()), 1);
    EXPECT_STREQ(table.GetString(1), L"값1");
    EXPECT_STREQ(table.GetString(37), L"값37");
    EXPECT_STREQ(table.GetString(38), L"");
}

TEST(StringTable, TextWithoutEndLineIsNotReadPastItsSize)
{
    // The buffer goes on past the given size; the loader must stop at the size.
    const char buffer[] = "h\na,first\nb,sec"
                          "ond,never\nc,never";
    CFWLStringTable table;
    ASSERT_EQ(table.Load(buffer, 10), 1);
    EXPECT_STREQ(table.GetString(1), L"first");
    EXPECT_STREQ(table.GetString(2), L"");
    ASSERT_EQ(table.Load(buffer, 15), 1);
    EXPECT_STREQ(table.GetString(2), L"sec");
    ASSERT_EQ(table.Load(nullptr, 100), 1);
    EXPECT_STREQ(table.GetString(1), L"");
}

TEST(LauncherLog, SetUpCreatesLogFolderAndWritesThrough)
{
    testsupport::TempDir dir;
    SetupLauncherLogIn(dir.Path());
    EXPECT_TRUE(ZP::FolderExists(dir.Join(L"Log")));
    EXPECT_TRUE(ZP::CZpakLog::IsWriteThrough());
    ASSERT_TRUE(ZP::LogF(L"LoadResource : %s", L"/x/FWLDRS.dll"));
    std::string bytes;
    ASSERT_TRUE(ZP::ReadWholeFile(ZP::GetLog()->GetLogFilePath(), bytes));
    EXPECT_NE(bytes.find("LoadResource : /x/FWLDRS.dll\r\n"), std::string::npos);
}
