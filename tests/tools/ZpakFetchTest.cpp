#include "tests/support/TempDir.h"
#include "tests/support/TestData.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

using testsupport::RunCommand;

TEST(ZpakFetch, DownloadsResumesAndReportsErrors)
{
    testsupport::TestHttpServer server;
    testsupport::TempDir dir;
    std::string body = testsupport::PatternBytes(700000, 7, 1000);
    server.SetContent("/game/data.bin", body);
    std::string zpak = testsupport::Zpak();
    std::string local = dir.NativePath() + "/data.bin";

    std::string out, err;
    ASSERT_EQ(RunCommand(zpak + " fetch " + server.Url("/game/data.bin") + " " + local, &out, &err), 0)
        << err;
    EXPECT_TRUE(dir.ReadFile(L"data.bin") == body);
    EXPECT_NE(err.find("100% 700000 / 700000 bytes"), std::string::npos) << err;

    // Half a file: exactly one range request for the rest.
    dir.WriteFile(L"data.bin", body.substr(0, 350000));
    server.ResetCounters();
    ASSERT_EQ(RunCommand(zpak + " fetch " + server.Url("/game/data.bin") + " " + local, &out, &err), 0)
        << err;
    EXPECT_TRUE(dir.ReadFile(L"data.bin") == body);
    EXPECT_EQ(server.RangesSeen("/game/data.bin"), (std::vector<std::string>{"", "bytes=350000-"}));

    EXPECT_EQ(RunCommand(zpak + " fetch " + server.Url("/game/none.bin") + " " + local, &out, &err), 1);
    EXPECT_EQ(err, "error 14054: 404 에러\n");
    EXPECT_EQ(RunCommand(zpak + " fetch only-one-argument", &out, &err), 2);
}
