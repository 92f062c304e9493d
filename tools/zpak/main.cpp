// zpak: command-line tool over the pak library.
#include "launcher/app/LauncherMessage.h"
#include "tools/zpak/Commands.h"

#include <cstdio>
#include <cstring>

namespace
{
struct sCommand
{
    const char* name;
    const char* synopsis;
    int (*run)(const zpak_cli::Args&);
};

const sCommand kCommands[] = {
    {"crc", "crc FILE...        CRC-32, signed byte sum and name of each file", zpak_cli::CmdCrc},
    {"hash", "hash NAME          the four name keys of a pak entry name", zpak_cli::CmdHash},
    {"fetch", "fetch URL FILE     download URL to FILE, resuming a partial FILE", zpak_cli::CmdFetch},
    {"info", "info FILE.info     the header and records of a file list", zpak_cli::CmdInfo},
    {"add",
     "add PAK FOLDER [--method none|zlib|lzma] [--wait]\n"
     "                     add every file below FOLDER to the pak set PAK",
     zpak_cli::CmdAdd},
    {"ls", "ls PAK [--wait]    the records of a pak set", zpak_cli::CmdLs},
    {"extract",
     "extract PAK FOLDER [--wait]\n"
     "                     unpack a pak set into FOLDER",
     zpak_cli::CmdExtract},
    {"compact",
     "compact PAK [--wait]\n"
     "                     squeeze the free space out of a pak set",
     zpak_cli::CmdCompact},
    {"rm",
     "rm PAK NAME... [--wait]\n"
     "                     delete records from a pak set",
     zpak_cli::CmdRm},
    {"publish",
     "publish GAMEFOLDER SERVERROOT [--loose GLOB]... [--lzma GLOB]...\n"
     "                     write the patch server layout for a game folder",
     zpak_cli::CmdPublish},
    {"patch",
     "patch URL GAMEFOLDER PAKNAME [--url URL]... [--verify] [--wait]\n"
     "                     bring a game folder in line with a patch server",
     zpak_cli::CmdPatch},
    {"verify",
     "verify PAK [--game FOLDER] [--wait]\n"
     "                     read back every packed record, name the damaged ones and put them\n"
     "                     on the game folder's repair list (the pak's folder by default)",
     zpak_cli::CmdVerify},
};

void PrintUsage()
{
    std::fputs("usage: zpak COMMAND [ARGS]\ncommands:\n", stderr);
    for (const sCommand& c : kCommands)
        std::fprintf(stderr, "  zpak %s\n", c.synopsis);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        PrintUsage();
        return 2;
    }
    for (const sCommand& c : kCommands)
    {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        // Downloads can end with the launcher's own codes (disk full), so its texts are the ones shown.
        CLauncherMessage messages;
        ZP::SetMessageProvider(&messages);
        int code = c.run(zpak_cli::Args(argv + 2, argv + argc));
        ZP::RestoreDefaultMessageProvider();
        if (code == 2) PrintUsage();
        return code;
    }
    std::fprintf(stderr, "zpak: unknown command '%s'\n", argv[1]);
    PrintUsage();
    return 2;
}
