#pragma once
// Reads one resource of the resource module into a buffer of its own. A base of every skinned
// window, which reads its position text through it.
#include "platform/resource/ResourceModule.h"

#include <cstddef>
#include <memory>

class IWindowResourceLoader
{
public:
    virtual ~IWindowResourceLoader() = default;

    // Copies resource id of the given type from module into a new buffer holding exactly its bytes
    // (no terminating zero; size marks the end). size, when given, is 0 until the copy succeeds.
    // 1 on success, 0 when the module is null or the resource is missing or unreadable.
    virtual int LoadCustomWindowResource(const platform::resource::CResourceModule* module, int id,
                                         const char* type, std::unique_ptr<char[]>& buffer, size_t* size);
};
