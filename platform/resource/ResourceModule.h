#pragma once
// The resource module: a ZIP pack whose entries are named "<type>/<id>.<ext>" ("csv/113.csv",
// "bitmap/101.bmp", "dialog/142.json"). It plays the part of a loaded resource library: opened once,
// then asked for resources by type name and numeric id.
//
// The pack is untrusted input (it arrives through the self-update). Its directory is read once at
// open and checked there: entry names outside the pattern are ignored, a type/id pair named twice
// refuses the pack, and no entry or directory may exceed the limits below. Reads check the size
// the directory promised and the entry's CRC.
//
// Thread contract: a module may be read from several threads at once; reads are serialised inside.
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::resource
{

// Largest resource the launcher will hold in memory (the biggest skin bitmap is far below this).
constexpr size_t kMaxResourceBytes = 16u << 20;
// Most entries a pack may list; a directory beyond this is refused rather than indexed.
constexpr size_t kMaxPackEntries = 4096;
// Longest entry name read from the directory.
constexpr size_t kMaxEntryNameBytes = 255;

enum class eResourceError
{
    None,
    PackMissing,  // the pack file does not exist or cannot be opened
    PackInvalid,  // not a ZIP pack, or its directory breaks the rules above
    NotFound,     // no entry of that type and id
    TooLarge,     // the entry is larger than kMaxResourceBytes
    EntryCorrupt, // the entry's data cannot be inflated, has another size or a wrong CRC
};

// A short English description for logs and test output.
const char* ResourceErrorText(eResourceError error);

class CResourceModule
{
public:
    // Opens the pack at path and indexes its directory. Null on failure, with the reason in error.
    static std::unique_ptr<CResourceModule> Open(std::wstring_view path, eResourceError* error = nullptr);
    ~CResourceModule();
    CResourceModule(const CResourceModule&) = delete;
    CResourceModule& operator=(const CResourceModule&) = delete;

    const std::wstring& Path() const { return m_path; }

    // Type names compare without regard to ASCII case, as resource type names do.
    bool Contains(std::string_view type, int id) const;
    // Uncompressed size as the directory gives it; 0 when absent.
    size_t SizeOf(std::string_view type, int id) const;
    // The entry's bytes, exactly; out is cleared first.
    eResourceError Read(std::string_view type, int id, std::vector<char>& out) const;
    // Every "<type>" entry id, ascending.
    std::vector<int> Ids(std::string_view type) const;

private:
    struct sEntry
    {
        unsigned long long directoryOffset = 0;
        unsigned long long entryNumber = 0;
        size_t size = 0;
    };

    CResourceModule(std::wstring path, void* zip);
    static std::string Key(std::string_view type, int id);
    const sEntry* Lookup(std::string_view type, int id) const;

    std::wstring m_path;
    void* m_zip; // the minizip reader, kept open like a loaded library
    std::unordered_map<std::string, sEntry> m_entries;
    mutable std::mutex m_lock;
};

// Parses "<type>/<id>.<ext>" (or without extension) into a lower-case type and a decimal id of at
// most nine digits. False for any other name, folders included.
bool ParseEntryName(std::string_view name, std::string& type, int& id);

} // namespace platform::resource
