// The Velmora launcher.
//
//     VelmoraLauncher "GameId=...|InstallUrl=...|MemberNo=...|AuthCode=...|"
//
// The portal starts it with the hand-off as its argument. It updates itself from the patch server
// (VELMORA_LAUNCHER_SERVER overrides the built-in address), checks the install, patches the game and
// starts it. VELMORA_UI=headless|gtk picks the window; without a display it is headless.
// SIGINT and SIGTERM close the window as its close button would. Every normal end gives exit code 0.
#include "platform/process/CloseSignal.h"
#include "platform/process/CommandLine.h"
#include "platform/text/TextCodec.h"
#include "tools/VelmoraLauncher/FernwayLauncher.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(platform::text::Utf8ToWide(argv[i]));
    platform::process::SetOwnArguments(arguments);

    CFernwayLauncher app;
    platform::process::WatchCloseSignals([&app] { app.RequestClose(); });
    app.InitInstance();
    platform::process::StopWatchingCloseSignals();
    app.ExitInstance();
    return 0;
}
