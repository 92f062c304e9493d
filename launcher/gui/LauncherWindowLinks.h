#pragma once
// What the launcher window needs from the components other parts of the launcher build (the
// updater, the patch system, the launcher implementation, the restart process). The application
// object provides it when it creates the window; tests provide a stand-in.
#include <cstdint>
#include <string>

class ILauncherWindowLinks
{
public:
    virtual ~ILauncherWindowLinks() = default;
    // False when the launcher has no updater.
    virtual bool HasUpdater() = 0;
    // Starts the updater thread; 1 when it runs.
    virtual int StartUpdater() = 0;
    // Tells the updater thread to stop and waits for it to end (no time limit). Runs on the
    // window's thread while the window closes.
    virtual void StopUpdater() = 0;
    // The patch system forgets the window.
    virtual void ClearPatchSystemWindow() = 0;
    // The implementation's game start; 1 when the game client runs.
    virtual int DoApplication() = 0;
    // The implementation's option of check box index (0-2) with its state; 1 success.
    virtual int DoOption(uint16_t index, bool checked) = 0;
    // The launcher's own version ("0.11").
    virtual std::wstring GetOwnVersion() = 0;
};
