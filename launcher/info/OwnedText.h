#pragma once
// Text owned by a record and bound to the script as a member variable: assigning from the script
// copies the string, so the record never points into a Lua string that the collector may free.
// Unset until assigned; assigning nil unsets it again. Kept free of Lua so that every user of the
// records (the patch engine, the tools) can include them without the script host.
#include <cstddef>
#include <cstring>
#include <string>

class COwnedText
{
public:
    COwnedText() = default;
    // Null while unset.
    const char* c_str() const { return m_set ? m_text.c_str() : nullptr; }
    size_t size() const { return m_text.size(); }
    bool is_set() const { return m_set; }
    void assign(const char* text, size_t length)
    {
        if (!text)
        {
            reset();
            return;
        }
        m_text.assign(text, length);
        m_set = true;
    }
    void assign(const char* text) { assign(text, text ? std::strlen(text) : 0); }
    void reset()
    {
        m_text.clear();
        m_set = false;
    }

private:
    std::string m_text;
    bool m_set = false;
};
