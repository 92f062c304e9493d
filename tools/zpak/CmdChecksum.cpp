// "crc" and "hash": the integrity values and name keys the pak library computes.
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "tools/zpak/Commands.h"
#include "zpak/crc/Crc32.h"

#include <cstdio>
#include <vector>

namespace zpak_cli
{

int CmdCrc(const Args& args)
{
    if (args.empty()) return 2;
    int exitCode = 0;
    ZP::CCrc32& crc = ZP::CCrc32::Get();
    for (const std::string& name : args)
    {
        std::wstring path = platform::text::Utf8ToWide(name);
        platform::fs::File file;
        if (!file.Open(path, platform::fs::eOpenMode::Read))
        {
            std::fprintf(stderr, "zpak: cannot open %s\n", name.c_str());
            exitCode = 1;
            continue;
        }
        // Read here rather than through UpdateStream, whose 0 cannot tell a failed read from a CRC of 0.
        std::vector<unsigned char> buffer(1 << 20);
        uint32_t value = 0;
        int32_t sum = 0;
        int64_t got;
        while ((got = file.Read(buffer.data(), buffer.size())) > 0)
            value = crc.Update(buffer.data(), static_cast<size_t>(got), value, &sum);
        if (got < 0)
        {
            std::fprintf(stderr, "zpak: cannot read %s\n", name.c_str());
            exitCode = 1;
            continue;
        }
        std::printf("%08x %d %s\n", value, sum, name.c_str());
    }
    return exitCode;
}

int CmdHash(const Args& args)
{
    if (args.size() != 1) return 2;
    std::wstring name = platform::text::Utf8ToWide(args[0]);
    ZP::CCrc32& crc = ZP::CCrc32::Get();
    static const char* const kLabels[] = {"PathKey", "NameKey", "ExtKey", "DirKey"};
    for (int part = 0; part < 4; ++part)
        std::printf("%s %08x\n", kLabels[part], crc.HashPart(name, part));
    return 0;
}

} // namespace zpak_cli
