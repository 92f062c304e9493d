#include "tests/support/PakBuilder.h"

#include "zpak/file/File.h"
#include "zpak/pak/Pak.h"
#include "zpak/pak/PakMgr.h"

namespace testsupport
{
namespace
{
int AddSource(ZP::CPak& pak, ZP::CFile& file, const ZP::CFileInfo& record)
{
    return pak.AddFileData(&file, &record, false);
}
int AddSource(ZP::CPakMgr& set, ZP::CFile& file, const ZP::CFileInfo& record)
{
    return set.AddFile(&file, &record, false);
}
} // namespace

std::unique_ptr<ZP::CFileInfo> PakRecord(const std::wstring& name, const std::string& content, uint32_t loc)
{
    auto record = std::make_unique<ZP::CFileInfo>();
    record->SetName(name);
    record->base.Loc = loc;
    record->base.size = record->base.OrgSize = static_cast<uint32_t>(content.size());
    record->base.FileTime = kPakFileTime;
    record->FillDateTimeIfEmpty();
    return record;
}

template <class Target>
int PakBuilder::AddTo(Target& target, const std::wstring& name, const std::string& content, sPakCodec codec)
{
    std::wstring source = m_dir.WriteFile(L"src/" + std::to_wstring(m_counter++), content);
    ZP::CFile file;
    if (file.Open(source.c_str(), ZP::kModeRead, 0) != 1) return -1;
    std::unique_ptr<ZP::CFileInfo> record = PakRecord(name, content);
    record->base.zip = codec.zip;
    record->base.enc = codec.enc;
    return AddSource(target, file, *record);
}

int PakBuilder::Add(ZP::CPak& pak, const std::wstring& name, const std::string& content, sPakCodec codec)
{
    return AddTo(pak, name, content, codec);
}

int PakBuilder::Add(ZP::CPakMgr& set, const std::wstring& name, const std::string& content, sPakCodec codec)
{
    return AddTo(set, name, content, codec);
}

} // namespace testsupport
