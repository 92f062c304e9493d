#pragma once
// The folder scanner: every file below a root with its attributes, last-write time and size, in
// parallel lists, plus an index from the name key of each path to its position.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ZP
{

// Optional filters, each a set of name keys (CRC-32 of the upper-cased name); an empty include set
// lets everything in. Extensions are keyed with their dot.
struct sScanFilters
{
    std::unordered_set<uint32_t> includeNames, excludeNames;
    std::unordered_set<uint32_t> includeExtensions, excludeExtensions;
    std::unordered_set<uint32_t> includeFolders, excludeFolders;
};

class CLocalFile
{
public:
    // root: the current folder when empty; backslashes become "/". With relative, paths are given
    // relative to the root. False when the root cannot be read or the stop flag was raised.
    bool Scan(const std::wstring& root, bool recurse, bool skipHidden, const sScanFilters* filters = nullptr,
              bool relative = false);

    size_t Count() const { return m_paths.size(); }
    const std::vector<std::wstring>& Paths() const { return m_paths; }
    const std::vector<uint32_t>& Attributes() const { return m_attributes; }
    const std::vector<int64_t>& LastWriteTimes() const { return m_times; }
    const std::vector<uint64_t>& Sizes() const { return m_sizes; }
    const std::vector<std::wstring>& Folders() const { return m_folders; }
    const std::unordered_map<std::wstring, uint32_t>& ExtensionCounts() const { return m_extensionCounts; }
    // Position of a path (as collected) or -1.
    int IndexOf(const std::wstring& path) const;

private:
    bool Walk(const std::wstring& folder, const std::wstring& prefix, bool recurse, bool skipHidden,
              const sScanFilters* filters);
    void Reset();

    std::vector<std::wstring> m_paths;
    std::vector<uint32_t> m_attributes;
    std::vector<int64_t> m_times;
    std::vector<uint64_t> m_sizes;
    std::vector<std::wstring> m_folders;
    std::unordered_map<std::wstring, uint32_t> m_extensionCounts;
    std::unordered_multimap<uint32_t, uint32_t> m_index;
};

} // namespace ZP
