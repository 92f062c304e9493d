#pragma once
// Writes small resource packs (ZIP) for the tests of resource reading.
#include <string>
#include <utility>
#include <vector>

namespace testsupport
{

using ResourceEntries = std::vector<std::pair<std::string, std::string>>; // entry name, bytes

// Writes a ZIP holding entries, in order, at path. stored = true keeps the bytes uncompressed, so a
// test can find and damage them in the file. False when the file cannot be written.
bool WriteResourcePack(const std::wstring& path, const ResourceEntries& entries, bool stored = false);

} // namespace testsupport
