#include "platform/sync/NamedMutex.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using platform::sync::NamedMutex;

TEST(NamedMutex, ExistsWhileAnyHolderKeepsIt)
{
    const std::wstring name = L"Global\\VelmoraLauncher_999_test-" + std::to_wstring(std::rand());
    bool existed = true;
    NamedMutex first, second, third;
    ASSERT_TRUE(first.Create(name, existed));
    EXPECT_FALSE(existed);
    ASSERT_TRUE(second.Create(name, existed));
    EXPECT_TRUE(existed);
    first.Close();
    ASSERT_TRUE(third.Create(name, existed));
    EXPECT_TRUE(existed) << "the second holder still has it";
    second.Close();
    third.Close();
    ASSERT_TRUE(first.Create(name, existed));
    EXPECT_FALSE(existed) << "every holder let go";
    EXPECT_EQ(NamedMutex::LockPath(L"Global\\a/b").substr(NamedMutex::LockPath(L"x").rfind('/')),
              "/Global_a_b.lock");
}

TEST(NamedMutex, HeldByAnotherProcess)
{
    const std::wstring name = L"Global\\VelmoraLauncher_998_other-" + std::to_wstring(std::rand());
    std::string path = NamedMutex::LockPath(name);
    {
        NamedMutex make;
        bool existed;
        ASSERT_TRUE(make.Create(name, existed)); // creates the folder and the file
    }
    // Another process holds it (shared, as a holder does) for as long as the test's folder exists.
    testsupport::TempDir alive;
    std::string command = "flock -s '" + path + "' sh -c 'for i in $(seq 600); do [ -d \"" +
                          alive.NativePath() + "\" ] || exit 0; sleep 0.05; done' &";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // The holder starts in the background: wait until it has the lock rather than assume a time.
    bool existed = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!existed && std::chrono::steady_clock::now() < deadline)
    {
        NamedMutex probe;
        ASSERT_TRUE(probe.Create(name, existed));
        if (!existed) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(existed);
}
