// The component framework: the creation order, the first failure ending it, and the teardown order
// of whatever was made.
#include "launcher/app/CurrentScript.h"
#include "launcher/app/LauncherUpdater.h"
#include "launcher/app/ProcessStatus.h"
#include "launcher/app/RestartProcessClone.h"
#include "launcher/app/StringTable.h"
#include "launcher/script/FernwayLauncherScript.h"
#include "launcher/workflow/LauncherImplement.h"
#include "tools/VelmoraLauncher/FWLauncherApp.h"
#include "zpak/message/ResultCodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A real component that notes when it is made, started and finalised.
template <typename Base> class CNoted : public Base
{
public:
    CNoted(std::string name, std::vector<std::string>& notes, int result = 1)
        : m_name(std::move(name)), m_notes(notes), m_result(result)
    {
        m_notes.push_back("make " + m_name);
    }
    int Initialize() override
    {
        m_notes.push_back("start " + m_name);
        return m_result == 1 ? Base::Initialize() : m_result;
    }
    void Finalize() override
    {
        m_notes.push_back("end " + m_name);
        Base::Finalize();
    }

private:
    std::string m_name;
    std::vector<std::string>& m_notes;
    int m_result;
};

// Process status cannot be made; the string table may fail to start.
class CTestApp : public CFWLauncherApp
{
public:
    explicit CTestApp(int stringTableResult = 1) : m_stringTableResult(stringTableResult) {}

    CFWLauncherGUI* CreateLauncherGUI() override { return nullptr; }
    CRestartProcess* CreateRestartProcess() override
    {
        return new CNoted<CRestartProcessClone>("restart", notes);
    }
    CLauncherUpdater* CreateUpdater() override
    {
        return new CNoted<CDefaultLauncherUpdater>("updater", notes);
    }
    CPatchSystemProcess* CreatePatchSystem() override { return nullptr; }
    CGameInfoManagerBase* CreateGameInfoManager() override { return nullptr; }
    CLauncherScript* CreateScript() override
    {
        script = new CNoted<CFernwayLauncherScript>("script", notes);
        return script;
    }
    CLauncherStringTable* CreateStringTable() override
    {
        return new CNoted<CFWLStringTable>("strings", notes, m_stringTableResult);
    }
    CProcessStatus* CreateProcessStatus() override
    {
        notes.push_back("make status (none)");
        return nullptr;
    }
    CLauncherImplement* CreateImplement() override { return new CNoted<CFWLImplement>("implement", notes); }

    std::vector<std::string> notes;
    CLauncherScript* script = nullptr;

private:
    int m_stringTableResult;
};
} // namespace

TEST(FrameworkOrder, FirstFailureEndsCreationAndTeardownFinalisesWhatWasMade)
{
    struct
    {
        const char* what;
        int stringTableResult;
        int expected;
        std::vector<std::string> made;
    } cases[] = {
        {"a factory gives nothing (the sixth component)",
         1,
         ZP::kErrorInvalidPointer,
         {"make script", "start script", "make restart", "start restart", "make updater", "start updater",
          "make implement", "start implement", "make strings", "start strings", "make status (none)"}},
        {"a component does not start (the fifth)",
         14011,
         14011,
         {"make script", "start script", "make restart", "start restart", "make updater", "start updater",
          "make implement", "start implement", "make strings", "start strings"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CTestApp app(c.stringTableResult);
        EXPECT_EQ(app.InitializeFramework(), c.expected);
        EXPECT_EQ(app.notes, c.made);
        EXPECT_EQ(GetCurrentScript(), app.script) << "the script is current once it has started";
        EXPECT_NE(app.GetStringTable(), nullptr) << "a component that failed to start is still finalised";
        EXPECT_EQ(app.GetProcessStatus(), nullptr);

        app.notes.clear();
        EXPECT_EQ(app.FinalizeFramework(), ZP::kResultOk);
        const std::vector<std::string> teardown = {"end implement", "end script", "end restart",
                                                   "end updater", "end strings"};
        EXPECT_EQ(app.notes, teardown);
        EXPECT_EQ(GetCurrentScript(), nullptr);
        EXPECT_EQ(app.GetScript(), nullptr);
        EXPECT_EQ(app.GetImplement(), nullptr);
        EXPECT_EQ(app.GetStringTable(), nullptr);
    }
}
