#include "launcher/gui/ConsoleLauncherGUI.h"
#include "launcher/info/GameInfo.h"
#include "launcher/info/GameInfoManager.h"
#include "tests/launcher/report/ReportCollector.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace
{
// A game information manager holding a hand-off's fields and a record naming the report host.
class CHandOffManager : public CFWLGameInfoManager
{
public:
    void SetField(eGameField field, const wchar_t* value) { m_fields[field] = value; }
};

class CWindowConnector : public CObjectConnector
{
public:
    CFWLauncherGUI* GetLauncherGUI() override { return &gui; }
    CRestartProcess* GetRestartProcess() override { return nullptr; }
    CLauncherUpdater* GetUpdater() override { return nullptr; }
    CPatchSystemProcess* GetPatchSystem() override { return nullptr; }
    CGameInfoManagerBase* GetGameInfoManager() override { return &manager; }
    CLauncherScript* GetScript() override { return nullptr; }
    CLauncherStringTable* GetStringTable() override { return nullptr; }
    CProcessStatus* GetProcessStatus() override { return nullptr; }
    CLauncherImplement* GetImplement() override { return nullptr; }

    CHandOffManager manager;
    CConsoleLauncherGUI gui{stdout};
};
} // namespace

TEST(ConsoleLauncherGUI, ActionReportCarriesTheHandOffsMemberNumber)
{
    testreport::CCollector collector("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    CWindowConnector app;
    ASSERT_EQ(app.manager.Initialize(), 1);
    app.gui.SetConnector(&app);
    app.manager.SetField(kFieldMemberNo, L"20231234");
    app.manager.GetGameInfo()->SetBIUrl(collector.Host().c_str());
    app.manager.GetGameInfo()->SetEnv("live");
    app.gui.SendActionReport("launcher.game.start");
    app.manager.Finalize();
    EXPECT_NE(collector.Request().find("\"member_no\":\"20231234\",\"environment\":\"live\""),
              std::string::npos)
        << collector.Request();
}
