// "fetch": a resumable download straight to disk, with progress on stderr.
#include "launcher/info/HttpDownloader.h"
#include "platform/text/TextCodec.h"
#include "platform/ui/Console.h"
#include "tools/zpak/Commands.h"
#include "zpak/common/NotifyHooks.h"

#include <chrono>
#include <cstdio>

namespace zpak_cli
{
namespace
{
bool g_terminal = false;
int g_lastPercent = -1;
std::chrono::steady_clock::time_point g_lastPrint;

void ShowProgress(uint64_t total, uint64_t done)
{
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    auto now = std::chrono::steady_clock::now();
    bool finished = done >= total;
    // A terminal line is redrawn a few times a second; a log gets one line per whole percent.
    if (g_terminal ? (!finished && now - g_lastPrint < std::chrono::milliseconds(100))
                   : percent == g_lastPercent)
        return;
    g_lastPercent = percent;
    g_lastPrint = now;
    std::fprintf(stderr, g_terminal ? "\r%3d%% %llu / %llu bytes" : "%3d%% %llu / %llu bytes\n", percent,
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total));
    if (g_terminal && finished)
        std::fputc('\n', stderr);
}
} // namespace

int CmdFetch(const Args& args)
{
    if (args.size() != 2)
        return 2;
    std::wstring url = platform::text::Utf8ToWide(args[0]);
    std::wstring path = platform::text::Utf8ToWide(args[1]);
    g_terminal = platform::ui::StderrIsTerminal();
    ZP::GetNotifyHooks().byteProgress = ShowProgress;
    IHttpDownloader downloader;
    uint32_t progress = 0;
    int r = downloader.DownloadDirectFileToLocalFile(url.c_str(), path.c_str(), &progress);
    ZP::GetNotifyHooks().byteProgress = nullptr;
    if (r == 1)
        return 0;
    if (g_terminal && g_lastPercent >= 0)
        std::fputc('\n', stderr);
    return PrintError(r);
}

} // namespace zpak_cli
