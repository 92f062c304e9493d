#pragma once
// What the information downloaders fill: a record that loads itself from a downloaded script chunk.
#include <cstdint>

class IInfoRecord
{
public:
    virtual ~IInfoRecord() = default;
    virtual int LoadInfoFromMemory(const char* data, uint32_t size) = 0;
};
