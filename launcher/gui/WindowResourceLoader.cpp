#include "launcher/gui/WindowResourceLoader.h"

#include "platform/text/TextCodec.h"
#include "zpak/log/ZpakLog.h"

#include <cstring>
#include <vector>

int IWindowResourceLoader::LoadCustomWindowResource(const platform::resource::CResourceModule* module, int id,
                                                    const char* type, std::unique_ptr<char[]>& buffer,
                                                    size_t* size)
{
    using platform::resource::eResourceError;
    if (size) *size = 0;
    ZP::LogF(L"LoadCustomWindowResource");
    ZP::LogF(L"FindResource");
    if (!module || !type || !module->Contains(type, id)) return 0;
    ZP::LogF(L"LoadResource");
    std::vector<char> bytes;
    eResourceError read = module->Read(type, id, bytes);
    if (read != eResourceError::None)
    {
        std::wstring reason = platform::text::Utf8ToWide(platform::resource::ResourceErrorText(read));
        ZP::LogWarnF(L"Resource %d not loaded : %s", id, reason.c_str());
        return 0;
    }
    // The pack's entries are plain bytes once read, so there is nothing to lock.
    ZP::LogF(L"LockResource");
    ZP::LogF(L"SizeResource");
    // At least one byte is allocated, so an empty resource still gives a buffer to release.
    buffer.reset(new char[bytes.empty() ? 1 : bytes.size()]());
    if (!bytes.empty()) std::memcpy(buffer.get(), bytes.data(), bytes.size());
    if (size) *size = bytes.size();
    return 1;
}
