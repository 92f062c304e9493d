#include "launcher/app/MessageBox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>

namespace
{
// A box whose Show waits until the test lets it answer, and which says when it is destroyed.
class CWaitingBox : public CGUIMessageBox
{
public:
    explicit CWaitingBox(std::atomic<bool>& destroyed) : m_destroyed(destroyed) {}
    ~CWaitingBox() override { m_destroyed = true; }

    int Show() override
    {
        entered.set_value();
        release.get_future().wait();
        // Reads the box's own state after the wait: the box must still be there.
        return GetText() == L"question" ? kMessageAnswerYes : 1;
    }

    std::promise<void> entered;
    std::promise<void> release;

private:
    std::atomic<bool>& m_destroyed;
};
} // namespace

TEST(ShowMessage, ABoxBeingShownOutlivesItsReplacement)
{
    std::atomic<bool> destroyed{false};
    auto waiting = std::make_shared<CWaitingBox>(destroyed);
    std::future<void> entered = waiting->entered.get_future();
    std::promise<void>& release = waiting->release;
    InstallMessageBox(std::move(waiting));

    std::future<int> answer =
        std::async(std::launch::async, [] { return ShowMessage(L"question", kMessageYesNo); });
    entered.wait();
    // The window thread replaces the box while a worker still waits on the old one.
    InstallMessageBox(std::make_shared<CGUIMessageBox>());
    EXPECT_FALSE(destroyed) << "the box was deleted while it was shown";
    release.set_value();
    EXPECT_EQ(answer.get(), kMessageAnswerYes);
    EXPECT_TRUE(destroyed) << "the replaced box must go once its Show has returned";
    RemoveMessageBox();
}
