#pragma once
// The registry: keys holding named, typed values under two roots (the machine and the user), kept
// in one SQLite database per root ("local_machine.db", "current_user.db") in the folder named by
// VELMORA_REGISTRY_DIR (default $XDG_DATA_HOME/velmora/registry, $XDG_DATA_HOME defaulting to
// ~/.local/share).
//
// Key paths use "\\" between their parts (empty parts are ignored, so "\\A\\\\B\\" is "A\\B"); the empty
// path is the root itself. Keys and value names compare without regard to case (the full Unicode
// case mapping) and keep the spelling they were created with. The value with the empty name is the
// key's default value. Every write is one transaction; several processes may read and write the
// same store at once (a writer waits up to a few seconds for another one to finish).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace platform::registry
{

enum class eRoot
{
    LocalMachine,
    CurrentUser,
};

// The longest name of one key (a part of a path) and of a value, in characters.
constexpr size_t kMaxKeyNameChars = 255;
constexpr size_t kMaxValueNameChars = 16383;

// Value types, numbered as the launcher's home platform numbers them.
constexpr uint32_t kTypeNone = 0;
constexpr uint32_t kTypeSz = 1;
constexpr uint32_t kTypeExpandSz = 2;
constexpr uint32_t kTypeBinary = 3;
constexpr uint32_t kTypeDword = 4;

struct sValue
{
    uint32_t type = kTypeNone;
    // Texts as UTF-8 without a terminator; a number as 4 little-endian bytes; binary as it is.
    std::string data;

    static sValue Text(std::wstring_view text, uint32_t type = kTypeSz);
    static sValue Number(uint32_t value);
    // The text of a text value (empty for other types).
    std::wstring AsText() const;
    // False unless the value is a number of 4 bytes.
    bool AsNumber(uint32_t& out) const;
};

std::wstring StoreFolder();
std::wstring StoreFile(eRoot root);

// One open key. Not copyable; closes on destruction.
class Key
{
public:
    Key() = default;
    ~Key();
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    // Opens the key, creating it and every missing parent. False when the store cannot be written
    // or a part of the path is longer than kMaxKeyNameChars.
    bool Create(eRoot root, std::wstring_view path);
    // Opens an existing key. False when it does not exist.
    bool Open(eRoot root, std::wstring_view path);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }

    // False when the value does not exist (or the key was deleted meanwhile).
    bool GetValue(std::wstring_view name, sValue& out);
    // Creates or replaces the value. False when the key no longer exists or the name is longer
    // than kMaxValueNameChars.
    bool SetValue(std::wstring_view name, const sValue& value);
    // False when there was no such value.
    bool DeleteValue(std::wstring_view name);
    // Deletes the key with its sub-keys and all their values, then closes it. The root cannot be
    // deleted (false).
    bool DeleteTree();
    // Names of the values, in the order they were first set.
    bool ListValueNames(std::vector<std::wstring>& out);

    const std::wstring& Path() const { return m_path; }

private:
    bool OpenStore(eRoot root, bool create);

    sqlite3* m_db = nullptr;
    std::wstring m_path;
    std::string m_fold;
};

} // namespace platform::registry
