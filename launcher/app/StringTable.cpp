#include "launcher/app/StringTable.h"

#include "platform/debug/DebugOutput.h"
#include "platform/text/TextCodec.h"

#include <string_view>

int CFWLStringTable::Load(const char* text, size_t size)
{
    m_slots.assign(kSlotCount, std::wstring());
    if (!text) size = 0;
    // Works on a view of exactly size bytes: a text without its "end" line ends at its size.
    std::string_view all(text ? text : "", size);
    size_t pos = 0;
    bool header = true;
    size_t filled = 0;
    while (pos < all.size())
    {
        size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = all.substr(pos, end - pos);
        pos = all.find_first_not_of("\r\n", end);
        if (pos == std::string_view::npos) pos = all.size();
        if (line.empty()) continue;
        if (header)
        {
            header = false;
            continue;
        }
        size_t comma = line.find(',');
        std::string_view key = line.substr(0, comma);
        if (key == "end") break;
        if (comma == std::string_view::npos) continue;
        std::string_view value = line.substr(comma + 1);
        value = value.substr(0, value.find(','));
        if (filled < kSlotCount - 1) m_slots[++filled] = platform::text::Utf8ToWide(value);
    }
    for (const std::wstring& slot : m_slots)
        platform::debug::DebugOutput(slot + L"\n");
    return 1;
}

const wchar_t* CFWLStringTable::GetString(unsigned id)
{
    unsigned slot = id & 0xFF;
    if (slot < m_slots.size()) return m_slots[slot].c_str();
    return L"";
}
