#pragma once
// One text property of an information record: the wide copy the launcher uses and the narrow copy
// the script reads, in the script's code page. A property holds at most 255 wide characters; its
// narrow copy is as long as the encoding of those characters needs, so a getter never cuts a text.
#include <cstddef>
#include <string>

class CInfoText
{
public:
    static constexpr size_t kMaxChars = 255;

    const std::wstring& Wide() const { return m_wide; }
    // 1, or 14011 for a text of 256 characters or more (the property is left as it was). A null
    // text is the empty text.
    int SetWide(const wchar_t* text);
    // The wide copy encoded in the code page into the narrow copy; valid until the next call.
    const char* GetNarrow(unsigned codePage);
    // Stores the narrow text and its wide conversion. False, with the property left as it was, for
    // a null text or one longer than 255 characters.
    bool SetNarrow(const char* text, unsigned codePage);
    void Clear();

private:
    std::wstring m_wide;
    std::string m_narrow;
};
