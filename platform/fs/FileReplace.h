#pragma once
// Replacing a file as one step. The new content is written to "<target>.part" beside the target,
// flushed to disk, given the permission bits of the file it stands in for, and renamed over the
// target. Whenever the process is killed, the target holds either its old content or its new content
// in full, never a mixture or a truncated file; at worst a stale ".part" file is left, which the next
// replace of the same target removes. A program that is running from the target does not block the
// replace: it goes on running from the old file until it ends.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::fs
{

enum class eReplaceResult
{
    Done,
    CreateFailed, // the ".part" file could not be made (or the source not read)
    WriteFailed,  // writing or flushing it failed (disk full, I/O error)
    RenameFailed, // it could not take the target's place
};

// "<target>.part".
std::wstring ReplacePartPath(std::wstring_view target);

// The permission bits come from the target when it exists; a new target gets those of an ordinary
// new file.
eReplaceResult ReplaceFileContents(std::wstring_view target, const void* data, size_t size);

// Copies source over target; the copy gets the permission bits of source, so a copy of a program is
// a program too.
eReplaceResult ReplaceFileWithCopy(std::wstring_view source, std::wstring_view target);

} // namespace platform::fs
