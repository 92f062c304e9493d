#include "launcher/gui/FWLauncherDialog.h"
#include "launcher/app/MessageBox.h"
#include "launcher/gui/SkinMessageBox.h"
#include "platform/ui/HeadlessBackend.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
WindowPositionTable FullTable()
{
    WindowPositionTable table;
    int y = 0;
    for (const wchar_t* name :
         {L"Web_Notice", L"IMAGE_Background", L"IMAGE_Game", L"IMAGE_FernwayBI", L"IMAGE_GameBI",
          L"BUTTON_Exit", L"BUTTON_Start", L"BUTTON_Close", L"BUTTON_Minimize", L"PROGRESS_TotalProgress",
          L"PROGRESS_FileProgress", L"TXT_Version", L"TXT_Status", L"TXT_CurrentFile", L"CHECK_01",
          L"CHECK_02", L"CHECK_03"})
    {
        table[name] = sGUIRect{10, y, 110, y + 20};
        y += 20;
    }
    table[L"IMAGE_Background"] = sGUIRect{0, 0, 640, 480};
    return table;
}

// The rest of the launcher: an updater thread that ends with a chosen result.
class CFakeLinks : public ILauncherWindowLinks
{
public:
    bool HasUpdater() override { return true; }
    int StartUpdater() override
    {
        updater = std::thread([this] { gui->OnPatchFinished(updaterResult); });
        return 1;
    }
    void StopUpdater() override
    {
        ++stops;
        if (updater.joinable()) updater.join();
    }
    void ClearPatchSystemWindow() override {}
    int DoApplication() override { return ++applications, 1; }
    int DoOption(uint16_t index, bool checked) override
    {
        std::lock_guard<std::mutex> hold(lock);
        options.emplace_back(index, checked);
        return 1;
    }
    std::wstring GetOwnVersion() override { return L"0.11"; }

    CFWLauncherGUI* gui = nullptr;
    int updaterResult = 1;
    std::thread updater;
    std::atomic<int> applications{0};
    std::atomic<int> stops{0};
    std::mutex lock;
    std::vector<std::pair<uint16_t, bool>> options;
};

class CRecordingDialog : public CFWLauncherDialogEx
{
public:
    using CFWLauncherDialogEx::CFWLauncherDialogEx;
    std::vector<std::string> Reports()
    {
        std::lock_guard<std::mutex> hold(m_reportLock);
        return m_reports;
    }

protected:
    void SendReport(const std::string& code, const std::string& flag) override
    {
        std::lock_guard<std::mutex> hold(m_reportLock);
        m_reports.push_back(code + ":" + flag);
    }

private:
    std::mutex m_reportLock;
    std::vector<std::string> m_reports;
};

class FWLauncherDialog : public ::testing::Test
{
protected:
    FWLauncherDialog()
        : out(std::tmpfile()), backend(std::make_shared<platform::ui::CHeadlessBackend>(out, false)),
          dialog(backend, [this] { return now.load(); })
    {
        links.gui = &dialog;
        dialog.SetLinks(&links);
        dialog.SetPositionSource(&positions);
        dialog.SetSettingsFilePath(dir.Join(L"Setting"));
        // A skin that loads: messages go through the window.
        InstallMessageBox(std::make_shared<CSkinMessageBox>(backend, std::make_shared<CReadySkin>()));
    }
    ~FWLauncherDialog() override
    {
        RemoveMessageBox();
        std::fclose(out);
    }

    std::string Output()
    {
        std::fflush(out);
        std::rewind(out);
        std::string text;
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, out)) > 0)
            text.append(buffer, n);
        return text;
    }

    struct CReadySkin : IMessageBoxSkin
    {
        bool LoadTemplate() override { return true; }
        bool LoadPositions() override { return true; }
        bool LoadFrameBitmaps() override { return true; }
    };

    testsupport::TempDir dir;
    std::FILE* out;
    std::shared_ptr<platform::ui::CHeadlessBackend> backend;
    std::atomic<int64_t> now{1'000'000};
    CPlainWindowPositions positions{FullTable()};
    CFakeLinks links;
    CRecordingDialog dialog;
};
} // namespace

TEST_F(FWLauncherDialog, SuccessfulUpdaterRunStartsTheGameThroughTheStartButton)
{
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(links.applications.load(), 1);
    EXPECT_EQ(links.stops.load(), 1);
    EXPECT_EQ(links.options, (std::vector<std::pair<uint16_t, bool>>{{0, false}, {1, false}, {2, false}}));
    EXPECT_EQ(dialog.Reports(),
              (std::vector<std::string>{"launcher.start.success:1", "launcher.patch.status:1",
                                        "launcher.game.start:1"}));
    // Closing destroyed the controls.
    EXPECT_FALSE(dialog.Window().HasControl(kIdGameStartButton));
}

TEST_F(FWLauncherDialog, RememberedCheckBox3StartsTheGameOnceWithoutAPress)
{
    dir.WriteFile(L"Setting", std::string(1, '\x01'));
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(links.applications.load(), 1);
    EXPECT_EQ(links.options.back(), (std::pair<uint16_t, bool>{2, true}));
}

TEST_F(FWLauncherDialog, FailedUpdaterRunShowsTheCodeAndCloses)
{
    links.updaterResult = 14003;
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(links.applications.load(), 0);
    EXPECT_TRUE(links.options.empty()); // the close request came before the headless close press
    const std::string text = Output();
    EXPECT_NE(text.find("[14003] -> 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("result 14003"), std::string::npos) << text;
}

TEST_F(FWLauncherDialog, AuthenticationExpiresAfterOneHour)
{
    for (int64_t elapsed : {3599, 3600, -10})
    {
        CFakeLinks localLinks;
        CRecordingDialog local(backend, [&] { return now.load(); });
        localLinks.gui = &local;
        local.SetLinks(&localLinks);
        local.SetPositionSource(&positions);
        local.SetSettingsFilePath(dir.Join(L"Setting"));
        ASSERT_EQ(local.InitializeGUI(), 1);
        const int64_t created = now.load();
        now = created + elapsed;
        local.OnGameStartButton();
        const bool expired = elapsed >= 3600;
        EXPECT_EQ(localLinks.applications.load(), expired ? 0 : 1) << elapsed;
        EXPECT_EQ(localLinks.options.empty(), expired) << elapsed;
        EXPECT_EQ(local.Reports().back(),
                  expired ? "launcher.start.fail.authkeyexpired:1" : "launcher.game.start:1");
        now = created;
    }
    EXPECT_NE(Output().find("인증 시간이 만료되었습니다."), std::string::npos);
}

TEST_F(FWLauncherDialog, CloseButtonCheckBox3AndIndexesOutsideTheArrays)
{
    ASSERT_EQ(dialog.InitializeGUI(), 1);
    EXPECT_FALSE(dialog.GetCheckBoxCheck(2)); // no settings file
    platform::ui::CWindow& window = dialog.Window();

    dialog.SetCloseLock(1);
    dialog.OnCloseButton();
    EXPECT_TRUE(dialog.Reports().back() == "launcher.start.success:1");

    // Each click toggles the box before the window writes the file.
    window.PostCommand(kIdCheckBox3);
    window.PostCommand(kIdCheckBox3);
    window.PostCommand(kIdCheckBox3);
    dialog.SetText(3, L"x");
    dialog.ShowButton(4, false);
    dialog.SetCheckBoxCheck(3, true);
    dialog.SetProgress(2, 50);
    EXPECT_FALSE(dialog.GetCheckBoxCheck(3));
    dialog.CloseLauncher();
    window.RunModal();
    EXPECT_EQ(dir.ReadFile(L"Setting"), std::string(1, '\x01'));
    EXPECT_TRUE(links.options.empty());
}

TEST_F(FWLauncherDialog, MissingPositionClosesTheWindowWithoutStartingTheUpdater)
{
    WindowPositionTable table = FullTable();
    table.erase(L"BUTTON_Close");
    CPlainWindowPositions partial(table);
    dialog.SetPositionSource(&partial);
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_FALSE(links.updater.joinable());
    EXPECT_TRUE(dialog.Reports().empty());
}

TEST(SkinMessageBox, AnswersOfTheButtons)
{
    struct
    {
        unsigned type;
        int left, right;
    } cases[] = {{0, 1, 2}, {1, 1, 2}, {2, 6, 7}, {3, 4, 2}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(CSkinMessageBox::AnswerForButton(c.type, kMessageButtonLeft), c.left) << c.type;
        EXPECT_EQ(CSkinMessageBox::AnswerForButton(c.type, kMessageButtonRight), c.right) << c.type;
        EXPECT_EQ(CSkinMessageBox::AnswerForButton(c.type, kMessageButtonClose), 8) << c.type;
    }
}

TEST(SkinMessageBox, WithoutItsSkinTheTextGoesToThePlainBox)
{
    struct CBrokenSkin : IMessageBoxSkin
    {
        bool templateThere = true;
        bool LoadTemplate() override { return templateThere; }
        bool LoadPositions() override { return true; }
        bool LoadFrameBitmaps() override { return false; }
    };
    std::vector<std::wstring> plain;
    auto previous = platform::ui::SetMessageBoxHandler(
        [&](std::wstring_view text, std::wstring_view caption, unsigned style)
        {
            plain.push_back(std::wstring(caption) + L"|" + std::wstring(text) + L"|" +
                            std::to_wstring(style));
            return 7;
        });
    auto skin = std::make_shared<CBrokenSkin>();
    CSkinMessageBox box(std::make_shared<platform::ui::CHeadlessBackend>(std::tmpfile(), false), skin);
    EXPECT_EQ(box.InitializeGUI(), 14004);
    skin->templateThere = false;
    EXPECT_EQ(box.InitializeGUI(), 0);
    box.SetType(2);
    box.SetText(L"설치할까요?");
    EXPECT_EQ(box.Show(), 7);
    platform::ui::SetMessageBoxHandler(previous);
    EXPECT_EQ(plain, std::vector<std::wstring>{L"Caution|설치할까요?|4"});
}
