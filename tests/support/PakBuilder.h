#pragma once
// Fills paks the way the packer does: the content goes to a source file below a test folder, a
// record names it (pak place, sizes, a fixed file time with its date and time, the codec ids) and
// the pak or the pak set copies it in.
#include "tests/support/TempDir.h"
#include "zpak/info/FileInfo.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ZP
{
class CPak;
class CPakMgr;
} // namespace ZP

namespace testsupport
{

// The file time every built record carries.
constexpr uint32_t kPakFileTime = 1700000000;

// The record the packer makes for content stored at loc.
std::unique_ptr<ZP::CFileInfo> PakRecord(const std::wstring& name, const std::string& content,
                                         uint32_t loc = ZP::kLocPak);

struct sPakCodec
{
    uint32_t zip = 0;
    uint32_t enc = 0;
};

class PakBuilder
{
public:
    // Source files go to src/ below dir, which must outlive the builder.
    explicit PakBuilder(const TempDir& dir) : m_dir(dir) {}

    // The result of AddFileData / AddFile, or -1 when the source file cannot be opened.
    int Add(ZP::CPak& pak, const std::wstring& name, const std::string& content, sPakCodec codec = {});
    int Add(ZP::CPakMgr& set, const std::wstring& name, const std::string& content, sPakCodec codec = {});

private:
    template <class Target>
    int AddTo(Target& target, const std::wstring& name, const std::string& content, sPakCodec codec);

    const TempDir& m_dir;
    int m_counter = 0;
};

} // namespace testsupport
