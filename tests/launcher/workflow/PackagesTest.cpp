// Distribution packages: the script's check function decides; a missing package is downloaded from
// the server, run, waited for and deleted; a present one is left alone.
#include "tests/launcher/workflow/WorkflowApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace workflowtest;

TEST(PackagesTest, MissingPackageIsDownloadedRunAndDeletedThenSkipped)
{
    testsupport::TempDir dir;
    fs::path game = fs::path(dir.NativePath()) / "game";
    fs::create_directories(game);
    fs::path marker = fs::path(dir.NativePath()) / "runtime.installed";
    testsupport::TestHttpServer server;
    // The package program leaves a marker where its argument says.
    server.SetContent("/packages/runtime-setup", "#!/bin/sh\necho done > \"$1\"\n");

    CWorkflowApp app;
    app.manager.SetField(kFieldInstallDir, game.wstring());
    const std::string url = server.Url("/packages");
    app.Run(std::string(testsupport::kGlobalFunctionPrelude) +
            "local info = LauncherScriptObject:GetGameInfo()\n"
            // 0: no check function, never installed.
            "local p = info:AddNewDistPackageInfo()\n"
            "p.strInstallFileURL = '" +
            url +
            "'\n"
            "p.strInstallFileName = 'runtime-setup'\n"
            // 1: missing on the server: its failure does not stop the next one.
            "p = info:AddNewDistPackageInfo()\n"
            "p.strInstallFileURL = '" +
            url +
            "'\n"
            "p.strInstallFileName = 'gone-setup'\n"
            "p.strCustomCheckFunctionName = 'Missing'\n"
            "p = info:AddNewDistPackageInfo()\n"
            "p.strInstallFileURL = '" +
            url +
            "'\n"
            "p.strInstallFileName = 'runtime-setup'\n"
            "p.strInstallFileNameArguments = '" +
            marker.string() +
            "'\n"
            "p.strCustomCheckFunctionName = 'HasRuntime'\n"
            "checks = 0\n"
            "function Missing() return 0 end\n"
            "function HasRuntime()\n"
            "  checks = checks + 1\n"
            // A boolean answer would always count as missing: the check answers with a number.
            "  if gf:IsFileExists('" +
            marker.string() +
            "') then return 1 end\n"
            "  return 0\n"
            "end\n");
    ASSERT_EQ(app.alerts, std::vector<std::string>{});

    EXPECT_EQ(app.implement.UpdateDistPackages(), 1);
    EXPECT_TRUE(fs::exists(marker)) << "the package program ran with its arguments";
    EXPECT_EQ(server.RequestCount("/packages/runtime-setup"), 1);
    EXPECT_EQ(server.RequestCount("/packages/gone-setup"), 1);
    EXPECT_FALSE(fs::exists(game / "runtime-setup")) << "the package file is deleted after its run";
    EXPECT_EQ(app.Global("checks"), "2") << "asked before the download and once after the run";
    EXPECT_EQ(app.window.showStates, (std::vector<int>{2, 1})) << "minimised while the package runs";
    EXPECT_TRUE(app.Logged(L"It doesn't have enough information for distPackage(0)."));

    // Present now: neither downloaded nor run.
    EXPECT_EQ(app.implement.UpdateDistPackages(), 1);
    EXPECT_EQ(server.RequestCount("/packages/runtime-setup"), 1);
    EXPECT_EQ(app.Global("checks"), "3");
    EXPECT_EQ(app.window.showStates.size(), 2u);
}
