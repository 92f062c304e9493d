#pragma once
// Argument checks shared by the downloaders and the information records.
#include <cstdint>

class ICheckInvalidMemoryData
{
public:
    virtual ~ICheckInvalidMemoryData() = default;
    // 14003 for null data, 14008 for size 0, else 1.
    virtual int CheckMemory(const void* data, uint32_t size);
    // 14003 when the out buffer is already set or there is no size pointer, else 1.
    virtual int CheckOutBuffer(const void* existing, const uint32_t* size);
};

class ICheckInvalidFile
{
public:
    virtual ~ICheckInvalidFile() = default;
    // An HTTP name (one containing "http://" or "https://", any case) is checked with one request to
    // the server, any other name as a local file.
    virtual int CheckFile(const wchar_t* name);
    // 14005 for a null or empty name, else 1.
    virtual int CheckFileName(const wchar_t* name);
    virtual int CheckHttpFile(const wchar_t* url);
    // 14012 when the file does not exist, else the result of opening it for reading.
    virtual int CheckLocalFile(const wchar_t* path);
};
