// The message queue's record and its system queue, the process starters and the registry key
// objects.
#include "launcher/script/InterMessageQueue.h"
#include "launcher/script/RegistryProcess.h"
#include "launcher/script/StartProcess.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/ScriptTestApp.h"
#include "tests/support/TempDir.h"

#include <boost/interprocess/ipc/message_queue.hpp>
#include <gtest/gtest.h>

#include <unistd.h>

using testsupport::CScriptTestApp;

namespace
{
std::string UniqueQueueName(const char* what)
{
    return std::string("velmora_test_") + what + "_" + std::to_string(::getpid());
}

std::string RecordBytes(const CInterMessageQueue& q)
{
    return std::string(reinterpret_cast<const char*>(q.GetRecord()), CInterMessageQueue::kRecordSize);
}

std::string ExampleRecord()
{
    std::string r(CInterMessageQueue::kRecordSize, '\0');
    const char head[] = "\x07\x00\x00\x00\x0B\x00\x00\x00"
                        "\x01\x00\x00\x00\x03\x00\x00\x00\x61\x62\x00";
    r.replace(0, sizeof(head) - 1, head, sizeof(head) - 1);
    return r;
}
} // namespace

TEST(InterMessageQueue, ScriptBuildsAndSendsThePackedRecord)
{
    std::string name = UniqueQueueName("send");
    CScriptTestApp app;
    app.Run(std::string(testsupport::kGlobalFunctionPrelude) +
            "q = gf:GetNewInterMessageQueue()\n"
            "created = q:CreateMessageQueue('" +
            name +
            "')\n"
            "q:SetMessageType(7)\n"
            "q:SetNumber(1)\n"
            "q:SetText('ab')\n"
            "sent = q:SendPackedMessage()\n");
    EXPECT_EQ(app.Global("created"), "true");
    EXPECT_EQ(app.Global("sent"), "true");

    boost::interprocess::message_queue receiver(boost::interprocess::open_only, name.c_str());
    EXPECT_EQ(receiver.get_max_msg(), 20u);
    EXPECT_EQ(receiver.get_max_msg_size(), 1032u);
    std::string received(1032, '\xFF');
    size_t size = 0;
    unsigned priority = 9;
    ASSERT_TRUE(receiver.try_receive(received.data(), received.size(), size, priority));
    EXPECT_EQ(size, 1032u);
    EXPECT_EQ(priority, 0u);
    EXPECT_TRUE(received == ExampleRecord()) << "the record bytes differ";
    boost::interprocess::message_queue::remove(name.c_str());
}

TEST(InterMessageQueue, MessageIsKeptUntilItCanBeSentAndClearedAfter)
{
    std::string name = UniqueQueueName("keep");
    CInterMessageQueue q;
    q.SetNumber(1);
    q.SetText("ab");
    EXPECT_FALSE(q.SendPackedMessage()) << "no type yet";
    q.SetMessageType(7);
    EXPECT_FALSE(q.SendPackedMessage()) << "no queue";
    EXPECT_TRUE(RecordBytes(q) == ExampleRecord()) << "a refused message is kept";

    ASSERT_TRUE(q.CreateMessageQueue(name.c_str()));
    EXPECT_STREQ(q.GetQueueName(), name.c_str());
    EXPECT_TRUE(RecordBytes(q) == std::string(CInterMessageQueue::kRecordSize, '\0'))
        << "a new queue, a new message";
    q.SetNumber(1);
    q.SetText("ab");
    EXPECT_FALSE(q.SendPackedMessage());
    q.SetMessageType(7);
    EXPECT_TRUE(RecordBytes(q) == ExampleRecord());
    EXPECT_TRUE(q.SendPackedMessage()) << "the data kept from before goes out with the type";
    EXPECT_TRUE(RecordBytes(q) == std::string(CInterMessageQueue::kRecordSize, '\0'))
        << "cleared after sending";

    // The queue holds 20 messages; the 21st is refused and lost.
    for (int i = 1; i < 20; ++i)
    {
        q.SetMessageType(1);
        q.SetNumber(i);
        EXPECT_TRUE(q.SendPackedMessage()) << i;
    }
    q.SetMessageType(1);
    q.SetNumber(21);
    EXPECT_FALSE(q.SendPackedMessage());
    EXPECT_EQ(q.GetDataLength(), 0);

    // Creating again removes what is left of the old queue.
    CInterMessageQueue again;
    ASSERT_TRUE(again.CreateMessageQueue(name.c_str()));
    boost::interprocess::message_queue receiver(boost::interprocess::open_only, name.c_str());
    EXPECT_EQ(receiver.get_num_msg(), 0u);
    again.RemoveMessageQueue(name.c_str());
    EXPECT_THROW(boost::interprocess::message_queue(boost::interprocess::open_only, name.c_str()),
                 boost::interprocess::interprocess_exception);
}

TEST(InterMessageQueue, ItemsThatDoNotFitAreRefusedAndTheMessageStays)
{
    CInterMessageQueue q;
    q.SetMessageType(3);
    q.SetText(std::string(1019, 'x').c_str()); // 4 + 1020 = 1024 bytes: exactly full
    EXPECT_EQ(q.GetDataLength(), 1024);
    std::string before = RecordBytes(q);
    q.SetNumber(5);
    q.SetText("");
    EXPECT_TRUE(RecordBytes(q) == before);

    CInterMessageQueue nearlyFull;
    for (int i = 0; i < 254; ++i)
        nearlyFull.SetNumber(i);
    nearlyFull.SetText("abc"); // 4 + 4 bytes into 8 free: fits
    EXPECT_EQ(nearlyFull.GetDataLength(), 1024);
    CInterMessageQueue one;
    for (int i = 0; i < 255; ++i)
        one.SetNumber(i);
    before = RecordBytes(one);
    one.SetText("a"); // 4 + 2 bytes into 4 free: refused whole, length item included
    EXPECT_TRUE(RecordBytes(one) == before);

    CInterMessageQueue badName;
    EXPECT_FALSE(badName.CreateMessageQueue("a/b/c"));
    EXPECT_FALSE(badName.CreateMessageQueue(nullptr));
    EXPECT_FALSE(badName.HasQueue());
}

TEST(Starters, StartOnceWaitAndReadTheExitCode)
{
    CScriptTestApp app; // for the log lines
    IStartProcess starter;
    EXPECT_EQ(starter.WaitWithMessages(0), kWaitFailed) << "nothing started";
    ASSERT_EQ(starter.CreateCurrentProcess(L"/bin/sh", L"-c \"exit 3\""), 1);
    uint32_t id = starter.GetProcessId();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(starter.CreateCurrentProcess(L"/bin/sh", L"-c \"exit 0\""), 0) << "already started";
    EXPECT_TRUE(app.Logged(L"Function : IStartProcess::CreateCurrentProcess, Line : 103"));
    EXPECT_TRUE(starter.WaitForEndWithMessages());
    EXPECT_EQ(starter.WaitWithMessages(100), kWaitProcessEnded);
    EXPECT_EQ(starter.GetExitCode(), 3u);
    starter.CloseProcessHandles();
    EXPECT_EQ(starter.GetProcessId(), id) << "the id stays readable";

    IStartProcess sleeper;
    ASSERT_EQ(sleeper.CreateCurrentProcess(L"/bin/sleep", L"1"), 1);
    EXPECT_EQ(sleeper.WaitWithMessages(50), kWaitTimedOut);
    EXPECT_EQ(sleeper.GetExitCode(), 259u) << "still running";

    IShellExecute shell;
    EXPECT_EQ(shell.StartNewProcess(L"/nonexistent/program", L""), ZP::kErrorFileMissing);
    EXPECT_TRUE(app.Logged(L"Function : IShellExecute::CreateCurrentProcess, Line : 148"));
    EXPECT_TRUE(app.Logged(L"Function : IStartProcessBase::StartNewProcess, Line : 52"));
    EXPECT_EQ(shell.StartNewProcess(L"/bin/true", nullptr), 1);
    EXPECT_FALSE(shell.IsStarted()) << "let go after the start";
    EXPECT_NE(shell.GetProcessId(), 0u);
}

TEST(RegistryKeyObject, TypedReadsAndMisuse)
{
    testsupport::RegistrySandbox sandbox;
    CScriptTestApp app; // for the log lines
    IRegistryProcess_CurrentUser registry;
    EXPECT_EQ(registry.OpenForRead(L"Software\\Game"), 0) << "no such key yet";
    ASSERT_EQ(registry.CreateKey(L"Software\\Game"), 1);
    EXPECT_EQ(registry.CanOpen(), 0);
    EXPECT_EQ(registry.CreateKey(L"Software\\Other"), 0) << "one key at a time";
    EXPECT_TRUE(app.Logged(L"Function : IRegistryProcess::CreateRegistry, Line : 39"));
    EXPECT_EQ(registry.OpenForWrite(L"Software\\Game"), 0);
    EXPECT_TRUE(app.Logged(L"Function : IRegistryProcess::OpenRegistry, Line : 52"));

    ASSERT_EQ(registry.SetTextValue(L"Path", L"/opt/game"), 1);
    ASSERT_EQ(registry.SetNumberValue(L"Version", 12), 1);
    EXPECT_EQ(registry.GetNumberValue(L"Path"), 65535u);
    EXPECT_EQ(registry.GetTextValue(L"Version"), L"");
    EXPECT_EQ(registry.GetTextValue(L"PATH"), L"/opt/game");
    EXPECT_EQ(registry.GetNumberValue(L"version"), 12u);
    EXPECT_EQ(registry.GetNumberValue(L"Missing"), 65535u);

    // The size protocol: ask for the size, then a buffer too small, then one that fits.
    uint32_t type = 0;
    uint32_t size = 0;
    ASSERT_EQ(registry.QueryValue(L"Path", &type, nullptr, &size), 1);
    EXPECT_EQ(type, kRegTypeSz);
    EXPECT_EQ(size, 10 * sizeof(wchar_t));
    wchar_t small[4];
    uint32_t room = sizeof(small);
    EXPECT_EQ(registry.QueryValue(L"Path", &type, small, &room), 0);
    EXPECT_EQ(room, size);

    EXPECT_EQ(registry.DeleteValue(L"Version"), 1);
    EXPECT_EQ(registry.DeleteValue(L"Version"), 0);
    registry.CloseKey();
    EXPECT_EQ(registry.IsOpen(), 0);
    EXPECT_EQ(registry.QueryValue(L"Path", &type, nullptr, &size), 0);
    EXPECT_EQ(registry.SetNumberValue(L"Path", 1), 0);
    EXPECT_EQ(registry.DeleteValue(L"Path"), 0);
    EXPECT_TRUE(app.Logged(L"Function : IRegistryProcess::QueryValue, Line : 84"));
    EXPECT_TRUE(app.Logged(L"Function : IRegistryProcess::SetValue, Line : 146"));
    EXPECT_TRUE(app.Logged(L"Function : IRegistryProcess::DeleteValue, Line : 157"));

    IRegistryProcess_LocalMachine machine;
    EXPECT_EQ(machine.OpenForRead(L"Software\\Game"), 0) << "the roots are separate";
}
