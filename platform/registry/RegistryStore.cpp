#include "platform/registry/RegistryStore.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"

#include <cstdlib>
#include <sqlite3.h>

namespace platform::registry
{
namespace
{
constexpr int kBusyTimeoutMs = 10000;

const char* const kSchema = "CREATE TABLE IF NOT EXISTS registry_keys("
                            " fold TEXT PRIMARY KEY, path TEXT NOT NULL);"
                            "CREATE TABLE IF NOT EXISTS registry_values("
                            " key_fold TEXT NOT NULL, name_fold TEXT NOT NULL, name TEXT NOT NULL,"
                            " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key_fold, name_fold));";

class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) m_stmt = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    Statement& Bind(int index, const std::string& text)
    {
        if (m_stmt)
            sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const std::string& bytes)
    {
        if (m_stmt)
            sqlite3_bind_blob(m_stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, int64_t value)
    {
        if (m_stmt) sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    std::string Text(int column) const
    {
        const unsigned char* t = sqlite3_column_text(m_stmt, column);
        return t ? std::string(reinterpret_cast<const char*>(t),
                               static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
                 : std::string();
    }
    std::string Blob(int column) const
    {
        const void* b = sqlite3_column_blob(m_stmt, column);
        return b ? std::string(static_cast<const char*>(b),
                               static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
                 : std::string();
    }
    int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A write transaction that rolls back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(sqlite3* db) : m_db(db) { m_open = Exec(db, "BEGIN IMMEDIATE"); }
    ~WriteTransaction()
    {
        if (m_open) Exec(m_db, "ROLLBACK");
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    bool Open() const { return m_open; }
    bool Commit()
    {
        if (!m_open) return false;
        m_open = false;
        if (Exec(m_db, "COMMIT")) return true;
        Exec(m_db, "ROLLBACK");
        return false;
    }

private:
    sqlite3* m_db;
    bool m_open = false;
};

// False when a part of the path is longer than a key name may be.
bool ValidParts(const std::vector<std::wstring>& parts)
{
    for (const std::wstring& p : parts)
        if (p.size() > kMaxKeyNameChars) return false;
    return true;
}

std::vector<std::wstring> SplitPath(std::wstring_view path)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size())
    {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::wstring JoinParts(const std::vector<std::wstring>& parts, size_t count)
{
    std::wstring out;
    for (size_t i = 0; i < count; ++i)
    {
        if (i) out += L'\\';
        out += parts[i];
    }
    return out;
}

std::string Fold(std::wstring_view text)
{
    return text::WideToUtf8(text::ToUpper(text));
}

bool CreateFolders(const std::wstring& folder)
{
    if (fs::IsDirectory(folder)) return true;
    size_t pos = 0;
    while (pos != std::wstring::npos)
    {
        pos = folder.find(L'/', pos + 1);
        std::wstring part = folder.substr(0, pos);
        if (!part.empty() && !fs::IsDirectory(part)) fs::CreateOneDirectory(part);
    }
    return fs::IsDirectory(folder);
}

bool KeyExists(sqlite3* db, const std::string& fold)
{
    if (fold.empty()) return true;
    Statement s(db, "SELECT 1 FROM registry_keys WHERE fold = ?1");
    s.Bind(1, fold);
    return s.Step() == SQLITE_ROW;
}
} // namespace

sValue sValue::Text(std::wstring_view text, uint32_t type)
{
    sValue v;
    v.type = type;
    v.data = text::WideToUtf8(text);
    return v;
}

sValue sValue::Number(uint32_t value)
{
    sValue v;
    v.type = kTypeDword;
    for (int i = 0; i < 4; ++i)
        v.data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return v;
}

std::wstring sValue::AsText() const
{
    return type == kTypeSz || type == kTypeExpandSz ? text::Utf8ToWide(data) : std::wstring();
}

bool sValue::AsNumber(uint32_t& out) const
{
    if (type != kTypeDword || data.size() != 4) return false;
    out = 0;
    for (int i = 0; i < 4; ++i)
        out |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return true;
}

std::wstring StoreFolder()
{
    if (const char* dir = std::getenv("VELMORA_REGISTRY_DIR"); dir && *dir) return text::Utf8ToWide(dir);
    std::wstring data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        data = text::Utf8ToWide(xdg);
    else
        data = fs::HomeDirectory() + L"/.local/share";
    return data + L"/velmora/registry";
}

std::wstring StoreFile(eRoot root)
{
    return StoreFolder() + (root == eRoot::LocalMachine ? L"/local_machine.db" : L"/current_user.db");
}

Key::~Key()
{
    Close();
}

void Key::Close()
{
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
    m_fold.clear();
}

bool Key::OpenStore(eRoot root, bool create)
{
    Close();
    std::wstring file = StoreFile(root);
    if (create && !CreateFolders(StoreFolder())) return false;
    // Reading never creates the store: a missing store simply has no keys.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(fs::NativePath(file).c_str(), &db, flags, nullptr) != SQLITE_OK)
    {
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (create && !Exec(db, kSchema))
    {
        sqlite3_close_v2(db);
        return false;
    }
    m_db = db;
    return true;
}

bool Key::Create(eRoot root, std::wstring_view path)
{
    std::vector<std::wstring> parts = SplitPath(path);
    if (!ValidParts(parts) || !OpenStore(root, true)) return false;
    {
        WriteTransaction tx(m_db);
        bool ok = tx.Open();
        for (size_t n = 1; ok && n <= parts.size(); ++n)
        {
            std::wstring prefix = JoinParts(parts, n);
            Statement s(m_db, "INSERT OR IGNORE INTO registry_keys(fold, path) VALUES(?1, ?2)");
            s.Bind(1, Fold(prefix)).Bind(2, text::WideToUtf8(prefix));
            ok = s.Step() == SQLITE_DONE;
        }
        if (!ok || !tx.Commit())
        {
            Close();
            return false;
        }
    }
    m_path = JoinParts(parts, parts.size());
    m_fold = Fold(m_path);
    return true;
}

bool Key::Open(eRoot root, std::wstring_view path)
{
    std::vector<std::wstring> parts = SplitPath(path);
    if (!ValidParts(parts) || !OpenStore(root, false)) return false;
    std::wstring normal = JoinParts(parts, parts.size());
    std::string fold = Fold(normal);
    if (!KeyExists(m_db, fold))
    {
        Close();
        return false;
    }
    m_path = normal;
    m_fold = fold;
    return true;
}

bool Key::GetValue(std::wstring_view name, sValue& out)
{
    if (!m_db) return false;
    Statement s(m_db, "SELECT type, data FROM registry_values WHERE key_fold = ?1 AND name_fold = ?2");
    s.Bind(1, m_fold).Bind(2, Fold(name));
    if (s.Step() != SQLITE_ROW) return false;
    out.type = static_cast<uint32_t>(s.Int(0));
    out.data = s.Blob(1);
    return true;
}

bool Key::SetValue(std::wstring_view name, const sValue& value)
{
    if (!m_db || name.size() > kMaxValueNameChars) return false;
    WriteTransaction tx(m_db);
    if (!tx.Open() || !KeyExists(m_db, m_fold)) return false;
    Statement s(
        m_db, "INSERT INTO registry_values(key_fold, name_fold, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
              " ON CONFLICT(key_fold, name_fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    s.Bind(1, m_fold).Bind(2, Fold(name)).Bind(3, text::WideToUtf8(name));
    s.Bind(4, static_cast<int64_t>(value.type)).BindBlob(5, value.data);
    return s.Step() == SQLITE_DONE && tx.Commit();
}

bool Key::DeleteValue(std::wstring_view name)
{
    if (!m_db) return false;
    WriteTransaction tx(m_db);
    if (!tx.Open()) return false;
    Statement s(m_db, "DELETE FROM registry_values WHERE key_fold = ?1 AND name_fold = ?2");
    s.Bind(1, m_fold).Bind(2, Fold(name));
    return s.Step() == SQLITE_DONE && sqlite3_changes(m_db) > 0 && tx.Commit();
}

bool Key::DeleteTree()
{
    if (!m_db || m_fold.empty()) return false;
    bool ok = false;
    {
        WriteTransaction tx(m_db);
        if (tx.Open())
        {
            // The key itself and everything whose path continues it after a separator.
            std::string below = m_fold + "\\";
            Statement keys(m_db,
                           "DELETE FROM registry_keys WHERE fold = ?1 OR substr(fold, 1, length(?2)) = ?2");
            keys.Bind(1, m_fold).Bind(2, below);
            Statement values(
                m_db,
                "DELETE FROM registry_values WHERE key_fold = ?1 OR substr(key_fold, 1, length(?2)) = ?2");
            values.Bind(1, m_fold).Bind(2, below);
            ok = keys.Step() == SQLITE_DONE && values.Step() == SQLITE_DONE && tx.Commit();
        }
    }
    Close();
    return ok;
}

bool Key::ListValueNames(std::vector<std::wstring>& out)
{
    out.clear();
    if (!m_db) return false;
    Statement s(m_db, "SELECT name FROM registry_values WHERE key_fold = ?1 ORDER BY rowid");
    s.Bind(1, m_fold);
    int r;
    while ((r = s.Step()) == SQLITE_ROW)
        out.push_back(text::Utf8ToWide(s.Text(0)));
    return r == SQLITE_DONE;
}

} // namespace platform::registry
