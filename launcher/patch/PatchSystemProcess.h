#pragma once
// The launcher component that runs one automatic patch of the game: it configures the downloader
// from the game information, runs its steps in order, feeds the window's bars and texts, reports
// failures and honours the updater's stop request between steps.
#include "launcher/app/Components.h"
#include "launcher/patch/Downloader.h"
#include "zpak/common/NotifyHooks.h"

#include <atomic>

class CGameInfoManagerBase;
class CFWLauncherGUI;

class CPatchSystemBase : public IAbsInitializer
{
public:
    virtual void SetWindowSink(CFWLauncherGUI* window) = 0;
    virtual void Idle() = 0;
    virtual int Setup(CGameInfoManagerBase* manager) = 0;
    virtual int StartAutoPatchSystem() = 0;
};

class CPatchSystemProcess : public CPatchSystemBase, public CObjectConnectorReceiver
{
public:
    CPatchSystemProcess();
    ~CPatchSystemProcess() override;

    int Initialize() override { return 1; }
    void Finalize() override { m_downloader.Reset(); }
    void SetWindowSink(CFWLauncherGUI* window) override;
    void Idle() override;
    int Setup(CGameInfoManagerBase* manager) override;
    int StartAutoPatchSystem() override;
    void SetConnector(CObjectConnector* connector) override;

    CDownloader& Downloader() { return m_downloader; }

    // Percent shown for done of total: floating point, capped at 100, truncated; -1 when nothing
    // is to be shown (total <= 0 or done < 0).
    static int Percent(double total, double done);

private:
    void ShowPercent(uint16_t bar, double total, double done);
    void ShowFile(const wchar_t* text, bool prefixed);
    void Status(unsigned entry);
    bool StopRequested();
    int Fail(int code, const char* actionCode, int line);

    // Set on the main thread, read by the hooks on the updater thread.
    std::atomic<CFWLauncherGUI*> m_window{nullptr};
    std::atomic<CObjectConnector*> m_connector{nullptr};
    ZP::sNotifyHooks m_byteHooks;
    CDownloader m_downloader;
};
