// "patch": one patch run of a game folder against patch server URLs, with progress and a summary.
#include "launcher/app/LauncherLog.h"
#include "launcher/patch/Downloader.h"
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/PakAccess.h"
#include "tools/zpak/Printable.h"
#include "tools/zpak/Progress.h"
#include "zpak/common/CommonFunction.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace zpak_cli
{
int CmdPatch(const Args& arguments)
{
    Args args = arguments;
    const bool wait = TakeWaitFlag(args);
    auto verify = std::find(args.begin(), args.end(), std::string("--verify"));
    const bool verifyAll = verify != args.end();
    if (verifyAll) args.erase(verify);
    if (args.size() < 3 || (args.size() - 3) % 2 != 0) return 2;
    CDownloader downloader;
    downloader.SetWaitForLock(wait);
    // Every stored file is read back before comparing, so damage nobody listed is fetched again.
    downloader.GetRepairUtil().SetVerifyAlways(verifyAll);
    downloader.AddUrl(platform::text::Utf8ToWide(args[0]));
    for (size_t i = 3; i + 1 < args.size(); i += 2)
    {
        if (args[i] != "--url") return 2;
        downloader.AddUrl(platform::text::Utf8ToWide(args[i + 1]));
    }
    std::wstring game =
        ZP::RemoveTrailingSeparator(ZP::BackslashToSlash(platform::text::Utf8ToWide(args[1])));
    std::wstring pak = platform::text::Utf8ToWide(args[2]);
    ZP::CreateFolderTree(game);
    // The run's lines go to the game folder's log, as the launcher's go beside the launcher.
    SetupLauncherLogIn(game);

    auto start = std::chrono::steady_clock::now();
    int r;
    {
        CProgressLine files("files");
        downloader.Hooks().fileCountProgress = [&files](uint32_t total, uint32_t done)
        { files.Update(done, total); };
        r = downloader.Run(game, pak);
        downloader.Hooks().fileCountProgress = nullptr;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    uint32_t files = downloader.DownloadCount();
    uint64_t bytes = downloader.DownloadedBytes();
    std::printf("downloaded %u files, %llu bytes, %u removed, in %.2f s (%.1f MB/s)\n", files,
                static_cast<unsigned long long>(bytes), downloader.DeleteCount(), seconds,
                seconds > 0 ? static_cast<double>(bytes) / seconds / 1e6 : 0.0);
    for (const std::wstring& name : downloader.RefusedNames())
        std::fprintf(stderr, "refused server file name: %s\n", PrintableName(name).c_str());
    std::wstring subject = downloader.FailedSubject();
    downloader.Reset();
    return r == 1 ? 0 : PrintError(r, subject);
}

} // namespace zpak_cli
