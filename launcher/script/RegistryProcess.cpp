#include "launcher/script/RegistryProcess.h"

#include "zpak/log/ZpakLog.h"

#include <cstring>
#include <cwchar>

namespace reg = platform::registry;

namespace
{
std::wstring NameOf(const wchar_t* name)
{
    return name ? std::wstring(name) : std::wstring();
}

// The value in the layout QueryValue hands out.
std::string WireBytes(const reg::sValue& value)
{
    if (value.type == reg::kTypeSz || value.type == reg::kTypeExpandSz)
    {
        std::wstring text = value.AsText();
        std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
        return bytes;
    }
    return value.data;
}
} // namespace

IRegistryProcess::~IRegistryProcess()
{
    CloseKey();
}

int IRegistryProcess::CanOpen()
{
    return m_open ? 0 : 1;
}

int IRegistryProcess::IsOpen()
{
    return m_open ? 1 : 0;
}

int IRegistryProcess::Open(const wchar_t* subKey, bool create, const char* operation, int line)
{
    if (CanOpen() != 1)
    {
        ZP_LOG_ERROR(0, operation, line);
        return 0;
    }
    std::wstring path = subKey ? std::wstring(subKey) : std::wstring();
    bool ok = create ? m_key.Create(m_root, path) : m_key.Open(m_root, path);
    if (!ok) return 0;
    m_open = true;
    return 1;
}

int IRegistryProcess::CreateKey(const wchar_t* subKey)
{
    return Open(subKey, true, "IRegistryProcess::CreateRegistry", 39);
}

int IRegistryProcess::OpenForRead(const wchar_t* subKey)
{
    return Open(subKey, false, "IRegistryProcess::OpenRegistry", 52);
}

int IRegistryProcess::OpenForWrite(const wchar_t* subKey)
{
    return Open(subKey, false, "IRegistryProcess::OpenRegistry", 52);
}

int IRegistryProcess::QueryValue(const wchar_t* name, uint32_t* type, void* data, uint32_t* size)
{
    if (IsOpen() != 1)
    {
        ZP_LOG_ERROR(0, "IRegistryProcess::QueryValue", 84);
        return 0;
    }
    reg::sValue value;
    if (!m_key.GetValue(NameOf(name), value)) return 0;
    if (type) *type = value.type;
    std::string bytes = WireBytes(value);
    if (!size) return data ? 0 : 1;
    uint32_t room = *size;
    *size = static_cast<uint32_t>(bytes.size());
    if (!data) return 1;
    if (room < bytes.size()) return 0;
    std::memcpy(data, bytes.data(), bytes.size());
    return 1;
}

uint32_t IRegistryProcess::GetNumberValue(const wchar_t* name)
{
    uint32_t type = 0;
    uint32_t size = 0;
    if (QueryValue(name, &type, nullptr, &size) != 1 || type != kRegTypeDword || size != 4)
        return kRegNoNumber;
    uint32_t value = 0;
    size = sizeof(value);
    if (QueryValue(name, &type, &value, &size) != 1) return kRegNoNumber;
    return value;
}

std::wstring IRegistryProcess::GetTextValue(const wchar_t* name)
{
    uint32_t type = 0;
    uint32_t size = 0;
    if (QueryValue(name, &type, nullptr, &size) != 1 || type != kRegTypeSz) return std::wstring();
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    uint32_t room = static_cast<uint32_t>(buffer.size() * sizeof(wchar_t));
    if (QueryValue(name, &type, buffer.data(), &room) != 1) return std::wstring();
    buffer.resize(std::wcslen(buffer.c_str()));
    return buffer;
}

int IRegistryProcess::SetNumberValue(const wchar_t* name, uint32_t value)
{
    return SetValue(name, kRegTypeDword, &value, sizeof(value));
}

int IRegistryProcess::SetTextValue(const wchar_t* name, const wchar_t* text)
{
    const wchar_t* t = text ? text : L"";
    return SetValue(name, kRegTypeSz, t, static_cast<uint32_t>((std::wcslen(t) + 1) * sizeof(wchar_t)));
}

int IRegistryProcess::SetValue(const wchar_t* name, uint32_t type, const void* data, uint32_t size)
{
    if (IsOpen() != 1)
    {
        ZP_LOG_ERROR(0, "IRegistryProcess::SetValue", 146);
        return 0;
    }
    if (!data && size > 0) return 0;
    reg::sValue value;
    if (type == kRegTypeSz || type == kRegTypeExpandSz)
    {
        std::wstring text(static_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        // The stored text ends at its terminating zero.
        text.resize(std::wcslen(text.c_str()));
        value = reg::sValue::Text(text, type);
    }
    else if (type == kRegTypeDword)
    {
        if (size != 4) return 0;
        uint32_t number = 0;
        std::memcpy(&number, data, 4);
        value = reg::sValue::Number(number);
    }
    else
    {
        value.type = type;
        value.data.assign(static_cast<const char*>(data), size);
    }
    return m_key.SetValue(NameOf(name), value) ? 1 : 0;
}

int IRegistryProcess::DeleteValue(const wchar_t* name)
{
    if (IsOpen() != 1)
    {
        ZP_LOG_ERROR(0, "IRegistryProcess::DeleteValue", 157);
        return 0;
    }
    return m_key.DeleteValue(NameOf(name)) ? 1 : 0;
}

void IRegistryProcess::CloseKey()
{
    m_key.Close();
    m_open = false;
}
