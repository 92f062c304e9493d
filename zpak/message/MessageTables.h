#pragma once
#include <cstddef>

namespace ZP
{

struct sMessageEntry
{
    int code;
    const wchar_t* text;
};

// Sorted by code.
extern const sMessageEntry kLibraryMessages[];
extern const size_t kLibraryMessageCount;

// Binary search in a sorted table; null when the code is not there.
const wchar_t* FindMessage(const sMessageEntry* table, size_t count, int code);

} // namespace ZP
