// demo-game: records how it was started, checks the pak sets beside it and says what it found.
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(DemoGame, RecordsItsStartAndChecksThePakSetBesideIt)
{
    testsupport::TempDir dir;
    fs::path game = fs::path(dir.NativePath()) / "game folder";
    fs::create_directories(game / "src" / "Data");
    std::ofstream(game / "src" / "Data" / "a.txt") << "alpha";
    std::ofstream(game / "src" / "b.bin") << std::string(5000, 'b');
    fs::copy_file(testsupport::BinaryDir() + "/demo-game", game / "demo-game");
    ASSERT_EQ(testsupport::RunCommand(testsupport::Zpak() + " add '" + (game / "res.pak").string() + "' '" +
                                      (game / "src").string() + "'"),
              0);
    testsupport::ScopedEnv noRecordFile("VELMORA_DEMO_GAME_RECORD", nullptr);

    std::string out;
    const std::string run =
        "cd '" + dir.NativePath() + "' && '" + (game / "demo-game").string() + "' AuthKey-1 'two words'";
    EXPECT_EQ(testsupport::RunCommand(run, &out), 0) << out;
    EXPECT_NE(out.find("pak set res.pak: 2 file(s), 0 damaged"), std::string::npos) << out;
    std::ifstream record(game / "demo-game.record");
    std::string cwd, first, second;
    std::getline(record, cwd);
    std::getline(record, first);
    std::getline(record, second);
    EXPECT_EQ(cwd, "cwd\t" + dir.NativePath());
    EXPECT_EQ(first, "arg\tAuthKey-1");
    EXPECT_EQ(second, "arg\ttwo words");

    // A pak cut short is not a healthy game.
    fs::resize_file(game / "res.pak", fs::file_size(game / "res.pak") / 2);
    EXPECT_EQ(testsupport::RunCommand(run, &out), 1) << out;
}
