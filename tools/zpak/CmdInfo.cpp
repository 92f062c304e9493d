// "info": dumps a ".info" list file.
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "tools/zpak/Printable.h"
#include "zpak/file/File.h"
#include "zpak/info/FileInfoUtil.h"
#include "zpak/message/PatchSystemMessage.h"

#include <cstdio>

namespace zpak_cli
{

int CmdInfo(const Args& args)
{
    if (args.size() != 1) return 2;
    std::wstring path = platform::text::Utf8ToWide(args[0]);
    ZP::CFile file;
    int r = file.Open(path.c_str(), ZP::kModeRead, 0);
    if (r != 1) return PrintError(r);
    ZP::vFileInfo list;
    ZP::sFileListSaveLoad header;
    header.list = &list;
    r = ZP::CFileInfoUtil::LoadFileList(&file, &header);
    if (r != 1) return PrintError(r);
    std::printf("len1 %u\nlen2 %u\nlen3 %u\n", header.sizes.len1, header.sizes.len2, header.sizes.len3);
    std::printf("Name\tLoc\tdeleted\tFilePos\tsize\tOrgSize\tzip\tenc\tunzipsize\tFileTime\tDate\tTime\tOrgCr"
                "c\tZipCrc\t"
                "CrcSign\n");
    for (const ZP::CFileInfo* rec : list)
    {
        const ZP::sFileInfoBase& b = rec->base;
        std::printf("%s\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%08u\t%06u\t%08x\t%08x\t%s\n",
                    PrintableName(rec->Name()).c_str(), b.Loc, b.deleted, b.FilePos, b.size, b.OrgSize, b.zip,
                    b.enc, b.unzipsize, b.FileTime, b.Date, b.Time, b.OrgCrc, b.ZipCrc,
                    rec->HasCrc() ? "CRC2" : "");
    }
    return 0;
}

} // namespace zpak_cli
