#include "platform/registry/RegistryStore.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::registry;

namespace
{
class RegistryStore : public ::testing::Test
{
protected:
    testsupport::RegistrySandbox sandbox;
};
} // namespace

TEST_F(RegistryStore, KeysAndNamesIgnoreCaseAndKeepTheirSpelling)
{
    Key key;
    ASSERT_TRUE(key.Create(eRoot::LocalMachine, L"SOFTWARE\\Quillmark\\Ärger"));
    ASSERT_TRUE(key.SetValue(L"Install_Dir", sValue::Text(L"/opt/a")));
    ASSERT_TRUE(key.SetValue(L"INSTALL_DIR", sValue::Text(L"/opt/b")));
    std::vector<std::wstring> names;
    ASSERT_TRUE(key.ListValueNames(names));
    EXPECT_EQ(names, std::vector<std::wstring>{L"Install_Dir"}) << "one value, first spelling";

    Key again;
    ASSERT_TRUE(again.Open(eRoot::LocalMachine, L"\\software\\\\QUILLMARK\\ärger\\"));
    EXPECT_EQ(again.Path(), L"software\\QUILLMARK\\ärger");
    sValue value;
    ASSERT_TRUE(again.GetValue(L"install_dir", value));
    EXPECT_EQ(value.AsText(), L"/opt/b");

    EXPECT_TRUE(again.Open(eRoot::LocalMachine, L"Software")) << "parents were created";
    EXPECT_TRUE(again.Open(eRoot::LocalMachine, L"")) << "the root always exists";
    EXPECT_FALSE(again.Open(eRoot::LocalMachine, L"Software\\Other"));
    EXPECT_FALSE(again.Open(eRoot::CurrentUser, L"Software")) << "the roots are separate stores";
    EXPECT_FALSE(again.Create(eRoot::LocalMachine, L"Software\\" + std::wstring(256, L'k')));
    EXPECT_TRUE(again.Create(eRoot::LocalMachine, L"Software\\" + std::wstring(255, L'k')));
    EXPECT_FALSE(again.SetValue(std::wstring(16384, L'n'), sValue::Number(1)));
    EXPECT_TRUE(std::filesystem::exists(sandbox.StorePath() + "/local_machine.db"));
    EXPECT_FALSE(std::filesystem::exists(sandbox.StorePath() + "/current_user.db"))
        << "reading created a store";
}

TEST_F(RegistryStore, ValuesKeepTheirTypes)
{
    Key key;
    ASSERT_TRUE(key.Create(eRoot::CurrentUser, L"Types"));
    const std::string binary("\x00\x01\xFF\x00", 4);
    sValue bin;
    bin.type = kTypeBinary;
    bin.data = binary;
    ASSERT_TRUE(key.SetValue(L"text", sValue::Text(L"값 %x%")));
    ASSERT_TRUE(key.SetValue(L"expand", sValue::Text(L"%HOME%", kTypeExpandSz)));
    ASSERT_TRUE(key.SetValue(L"number", sValue::Number(4294967295u)));
    ASSERT_TRUE(key.SetValue(L"binary", bin));
    ASSERT_TRUE(key.SetValue(L"", sValue::Text(L"default")));

    sValue v;
    uint32_t number = 0;
    ASSERT_TRUE(key.GetValue(L"text", v));
    EXPECT_EQ(v.type, kTypeSz);
    EXPECT_EQ(v.AsText(), L"값 %x%");
    EXPECT_FALSE(v.AsNumber(number));
    ASSERT_TRUE(key.GetValue(L"expand", v));
    EXPECT_EQ(v.type, kTypeExpandSz);
    EXPECT_EQ(v.AsText(), L"%HOME%");
    ASSERT_TRUE(key.GetValue(L"number", v));
    ASSERT_TRUE(v.AsNumber(number));
    EXPECT_EQ(number, 4294967295u);
    EXPECT_EQ(v.AsText(), L"");
    ASSERT_TRUE(key.GetValue(L"binary", v));
    EXPECT_EQ(v.type, kTypeBinary);
    EXPECT_EQ(v.data, binary);
    ASSERT_TRUE(key.GetValue(L"", v));
    EXPECT_EQ(v.AsText(), L"default");

    // Replacing a value may change its type.
    ASSERT_TRUE(key.SetValue(L"number", sValue::Text(L"now text")));
    ASSERT_TRUE(key.GetValue(L"NUMBER", v));
    EXPECT_EQ(v.type, kTypeSz);
    EXPECT_TRUE(key.DeleteValue(L"Number"));
    EXPECT_FALSE(key.DeleteValue(L"number"));
    EXPECT_FALSE(key.GetValue(L"number", v));
}

TEST_F(RegistryStore, DeletingATreeTakesItsKeysAndValuesOnly)
{
    Key a, b, sibling;
    ASSERT_TRUE(a.Create(eRoot::CurrentUser, L"Game\\Sub\\Deep"));
    ASSERT_TRUE(a.SetValue(L"v", sValue::Number(1)));
    ASSERT_TRUE(sibling.Create(eRoot::CurrentUser, L"GameOther"));
    ASSERT_TRUE(sibling.SetValue(L"v", sValue::Number(2)));

    // A key deleted by someone else takes no more values.
    ASSERT_TRUE(b.Open(eRoot::CurrentUser, L"game"));
    EXPECT_TRUE(b.DeleteTree());
    EXPECT_FALSE(b.IsOpen());
    EXPECT_FALSE(a.SetValue(L"w", sValue::Number(3)));
    sValue v;
    EXPECT_FALSE(a.GetValue(L"v", v));
    EXPECT_FALSE(b.Open(eRoot::CurrentUser, L"Game\\Sub"));

    ASSERT_TRUE(b.Open(eRoot::CurrentUser, L"GameOther")) << "a key that only starts the same stays";
    ASSERT_TRUE(b.GetValue(L"v", v));
    Key root;
    ASSERT_TRUE(root.Open(eRoot::CurrentUser, L""));
    EXPECT_FALSE(root.DeleteTree()) << "the root stays";
}

TEST_F(RegistryStore, ProcessesWritingAtOnceLoseNothing)
{
    constexpr int kWriters = 4;
    constexpr int kValues = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w)
    {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
        {
            bool ok = true;
            for (int i = 0; i < kValues && ok; ++i)
            {
                Key key;
                ok = key.Create(eRoot::CurrentUser, L"Shared\\Writer" + std::to_wstring(w)) &&
                     key.SetValue(L"v" + std::to_wstring(i), sValue::Number(static_cast<uint32_t>(i)));
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children)
    {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w)
    {
        Key key;
        ASSERT_TRUE(key.Open(eRoot::CurrentUser, L"shared\\writer" + std::to_wstring(w)));
        std::vector<std::wstring> names;
        ASSERT_TRUE(key.ListValueNames(names));
        EXPECT_EQ(names.size(), static_cast<size_t>(kValues));
    }
}
