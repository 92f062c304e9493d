#pragma once
// One registry key at a time under a fixed root, for the script functions, the install registration
// and the options. Every user closes the key before it returns.
#include "platform/registry/RegistryStore.h"

#include <cstdint>
#include <string>

// Value types as the registry numbers them.
constexpr uint32_t kRegTypeSz = platform::registry::kTypeSz;
constexpr uint32_t kRegTypeExpandSz = platform::registry::kTypeExpandSz;
constexpr uint32_t kRegTypeBinary = platform::registry::kTypeBinary;
constexpr uint32_t kRegTypeDword = platform::registry::kTypeDword;

// GetNumberValue's answer when there is no number.
constexpr uint32_t kRegNoNumber = 65535;

class IRegistryProcess
{
public:
    virtual ~IRegistryProcess();

    // 1 when the key was created or opened for writing (and is now open), else 0. A null or empty
    // sub-key is the root itself.
    virtual int CreateKey(const wchar_t* subKey);
    virtual int OpenForRead(const wchar_t* subKey);
    virtual int OpenForWrite(const wchar_t* subKey);
    // The value's type and bytes: a text as wide characters with a terminating zero, a number as 4
    // bytes, binary data as it is. Without data only the type and size are given; a buffer that is
    // too small gives 0 with the size needed. A null name is the key's default value.
    virtual int QueryValue(const wchar_t* name, uint32_t* type, void* data, uint32_t* size);
    // 65535 when the value is missing or not a number.
    virtual uint32_t GetNumberValue(const wchar_t* name);
    virtual int SetNumberValue(const wchar_t* name, uint32_t value);
    // The empty text when the value is missing or not a plain text.
    virtual std::wstring GetTextValue(const wchar_t* name);
    virtual int SetTextValue(const wchar_t* name, const wchar_t* text);
    virtual int SetValue(const wchar_t* name, uint32_t type, const void* data, uint32_t size);
    virtual int DeleteValue(const wchar_t* name);
    virtual void CloseKey();
    // 1 when no key is open.
    virtual int CanOpen();
    virtual int IsOpen();

protected:
    explicit IRegistryProcess(platform::registry::eRoot root) : m_root(root) {}

private:
    int Open(const wchar_t* subKey, bool create, const char* operation, int line);

    platform::registry::eRoot m_root;
    platform::registry::Key m_key;
    bool m_open = false;
};

class IRegistryProcess_LocalMachine : public IRegistryProcess
{
public:
    IRegistryProcess_LocalMachine() : IRegistryProcess(platform::registry::eRoot::LocalMachine) {}
};

class IRegistryProcess_CurrentUser : public IRegistryProcess
{
public:
    IRegistryProcess_CurrentUser() : IRegistryProcess(platform::registry::eRoot::CurrentUser) {}
};
