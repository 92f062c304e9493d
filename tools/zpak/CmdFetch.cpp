// "fetch": a resumable download straight to disk, with progress on stderr.
#include "launcher/info/HttpDownloader.h"
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/Progress.h"

namespace zpak_cli
{

int CmdFetch(const Args& args)
{
    if (args.size() != 2) return 2;
    std::wstring url = platform::text::Utf8ToWide(args[0]);
    std::wstring path = platform::text::Utf8ToWide(args[1]);
    int r;
    {
        CProgressLine progress;
        progress.AttachByteHook();
        IHttpDownloader downloader;
        uint32_t unused = 0;
        r = downloader.DownloadDirectFileToLocalFile(url.c_str(), path.c_str(), &unused);
    }
    return r == 1 ? 0 : PrintError(r);
}

} // namespace zpak_cli
