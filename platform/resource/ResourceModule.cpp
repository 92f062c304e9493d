#include "platform/resource/ResourceModule.h"

#include "platform/fs/FileSystem.h"

#include <algorithm>
#include <minizip/unzip.h>

namespace platform::resource
{
namespace
{
char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsTypeChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

constexpr size_t kMaxIdDigits = 9;
} // namespace

const char* ResourceErrorText(eResourceError error)
{
    switch (error)
    {
    case eResourceError::None:
        return "no error";
    case eResourceError::PackMissing:
        return "resource pack missing or unreadable";
    case eResourceError::PackInvalid:
        return "resource pack is not a valid pack";
    case eResourceError::NotFound:
        return "resource not found";
    case eResourceError::TooLarge:
        return "resource too large";
    case eResourceError::EntryCorrupt:
        return "resource data corrupt";
    }
    return "unknown resource error";
}

bool ParseEntryName(std::string_view name, std::string& type, int& id)
{
    size_t slash = name.find('/');
    if (slash == 0 || slash == std::string_view::npos) return false;
    std::string lowered;
    for (char c : name.substr(0, slash))
    {
        char l = LowerAscii(c);
        if (!IsTypeChar(l)) return false;
        lowered += l;
    }
    std::string_view rest = name.substr(slash + 1);
    std::string_view digits = rest.substr(0, rest.find('.'));
    if (digits.empty() || digits.size() > kMaxIdDigits) return false;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    // The extension only tells the format; it must not hide another folder level.
    if (rest.find('/') != std::string_view::npos) return false;
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    type = std::move(lowered);
    id = value;
    return true;
}

std::unique_ptr<CResourceModule> CResourceModule::Open(std::wstring_view path, eResourceError* error)
{
    auto fail = [error](eResourceError why)
    {
        if (error) *error = why;
        return std::unique_ptr<CResourceModule>();
    };
    if (error) *error = eResourceError::None;
    if (path.empty() || !platform::fs::IsRegularFile(path)) return fail(eResourceError::PackMissing);
    std::string native = platform::fs::NativePath(path);
    unzFile zip = unzOpen64(native.c_str());
    if (!zip) return fail(eResourceError::PackInvalid);
    std::unique_ptr<CResourceModule> module(new CResourceModule(std::wstring(path), zip));

    unz_global_info64 global;
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK || global.number_entry > kMaxPackEntries)
        return fail(eResourceError::PackInvalid);
    int step = unzGoToFirstFile(zip);
    while (step == UNZ_OK)
    {
        if (module->m_entries.size() >= kMaxPackEntries) return fail(eResourceError::PackInvalid);
        char nameBytes[kMaxEntryNameBytes + 1];
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip, &info, nameBytes, sizeof(nameBytes), nullptr, 0, nullptr, 0) !=
            UNZ_OK)
            return fail(eResourceError::PackInvalid);
        std::string type;
        int id = 0;
        // Over-long names cannot be resource names; they are skipped like any other stray entry.
        if (info.size_filename <= kMaxEntryNameBytes &&
            ParseEntryName(std::string_view(nameBytes, info.size_filename), type, id))
        {
            unz64_file_pos position;
            if (unzGetFilePos64(zip, &position) != UNZ_OK) return fail(eResourceError::PackInvalid);
            sEntry entry;
            entry.directoryOffset = position.pos_in_zip_directory;
            entry.entryNumber = position.num_of_file;
            // Sizes beyond the limit are kept as they are so that a read can say TooLarge.
            entry.size = info.uncompressed_size > kMaxResourceBytes
                             ? kMaxResourceBytes + 1
                             : static_cast<size_t>(info.uncompressed_size);
            // Two entries for one resource would make the answer depend on directory order.
            if (!module->m_entries.emplace(Key(type, id), entry).second)
                return fail(eResourceError::PackInvalid);
        }
        step = unzGoToNextFile(zip);
    }
    if (step != UNZ_END_OF_LIST_OF_FILE) return fail(eResourceError::PackInvalid);
    return module;
}

CResourceModule::CResourceModule(std::wstring path, void* zip) : m_path(std::move(path)), m_zip(zip) {}

CResourceModule::~CResourceModule()
{
    if (m_zip) unzClose(static_cast<unzFile>(m_zip));
}

std::string CResourceModule::Key(std::string_view type, int id)
{
    std::string key;
    for (char c : type)
        key += LowerAscii(c);
    key += '/';
    key += std::to_string(id);
    return key;
}

const CResourceModule::sEntry* CResourceModule::Lookup(std::string_view type, int id) const
{
    if (id < 0) return nullptr;
    auto found = m_entries.find(Key(type, id));
    return found == m_entries.end() ? nullptr : &found->second;
}

bool CResourceModule::Contains(std::string_view type, int id) const
{
    return Lookup(type, id) != nullptr;
}

size_t CResourceModule::SizeOf(std::string_view type, int id) const
{
    const sEntry* entry = Lookup(type, id);
    return entry ? entry->size : 0;
}

std::vector<int> CResourceModule::Ids(std::string_view type) const
{
    std::string prefix = Key(type, 0);
    prefix.pop_back();
    std::vector<int> ids;
    for (const auto& [key, entry] : m_entries)
        if (key.compare(0, prefix.size(), prefix) == 0) ids.push_back(std::stoi(key.substr(prefix.size())));
    std::sort(ids.begin(), ids.end());
    return ids;
}

eResourceError CResourceModule::Read(std::string_view type, int id, std::vector<char>& out) const
{
    out.clear();
    const sEntry* entry = Lookup(type, id);
    if (!entry) return eResourceError::NotFound;
    if (entry->size > kMaxResourceBytes) return eResourceError::TooLarge;

    std::lock_guard<std::mutex> hold(m_lock);
    unzFile zip = static_cast<unzFile>(m_zip);
    unz64_file_pos position;
    position.pos_in_zip_directory = entry->directoryOffset;
    position.num_of_file = entry->entryNumber;
    if (unzGoToFilePos64(zip, &position) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return eResourceError::EntryCorrupt;
    // One byte more than promised: a stream that goes on past its declared size is caught here.
    out.resize(entry->size + 1);
    size_t got = 0;
    int step = 1;
    while (got < out.size() &&
           (step = unzReadCurrentFile(zip, out.data() + got, static_cast<unsigned>(out.size() - got))) > 0)
        got += static_cast<size_t>(step);
    // The CRC is checked when the entry is closed after reading it to its end.
    int closed = unzCloseCurrentFile(zip);
    if (step < 0 || got != entry->size || closed != UNZ_OK)
    {
        out.clear();
        return eResourceError::EntryCorrupt;
    }
    out.resize(entry->size);
    return eResourceError::None;
}

} // namespace platform::resource
