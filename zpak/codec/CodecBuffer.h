#pragma once
// Argument checks and the output buffer shared by every codec. Outputs come from AllocBuffer so that
// callers release them like every other buffer of the library (FreeBuffer).
#include "zpak/common/ByteOrder.h"
#include "zpak/file/FileBase.h"

#include <cstdint>
#include <cstring>

namespace ZP
{

// The caller's slot must exist and be empty: filling a used slot would leak (or free) its buffer.
inline bool IsEmptyOutputSlot(char** output)
{
    return output != nullptr && *output == nullptr;
}

// Input present (or empty) and the prefix inside it.
inline bool IsValidCodecInput(const void* input, uint32_t inputLength, uint32_t prefix)
{
    return (input != nullptr || inputLength == 0) && prefix <= inputLength;
}

// An AllocBuffer block that is freed unless handed to the caller.
class CCodecBuffer
{
public:
    explicit CCodecBuffer(size_t size) : m_data(AllocBuffer(size)) {}
    ~CCodecBuffer() { FreeBuffer(m_data); }
    CCodecBuffer(const CCodecBuffer&) = delete;
    CCodecBuffer& operator=(const CCodecBuffer&) = delete;

    explicit operator bool() const { return m_data != nullptr; }
    char* Get() const { return m_data; }
    unsigned char* Bytes() const { return reinterpret_cast<unsigned char*>(m_data); }
    char* Release()
    {
        char* data = m_data;
        m_data = nullptr;
        return data;
    }

private:
    char* m_data;
};

// The prefix bytes travel unchanged in front of every transformed output.
inline void CopyPrefix(const CCodecBuffer& buffer, const void* input, uint32_t prefix)
{
    if (prefix > 0) std::memcpy(buffer.Get(), input, prefix);
}

} // namespace ZP
