// RegStore: the registry tables in SQLite, a lazily filled cache of them, and its freshness check.
#include "platform/RegStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <unordered_map>

namespace {

using KeyId = RegStore::KeyId;

constexpr KeyId kRootCount = 4;
constexpr std::array<std::u16string_view, kRootCount> kRootNames = {
    u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"};
constexpr int kSchemaVersion = 1;
// ERROR_REGISTRY_IO_FAILED: the store file could not be read or written.
constexpr LONG kIoFailed = 1016;
// The first copy of SQLite's WAL-index header; every commit rewrites it.
constexpr std::size_t kWalHeaderSize = 48;
constexpr int kShmRegionSize = 32768;
constexpr int kBusyTimeoutMs = 5000;
constexpr int kWalTries = kBusyTimeoutMs / 10;

// Case pairs of a block: either one offset for the whole block or alternating upper/lower letters.
struct FoldRange {
    char16_t first;
    char16_t last;
    int delta;  // 0: pairs, the capital on the even offset from first
};
constexpr FoldRange kFoldRanges[] = {
    {u'\u00E0', u'\u00F6', -0x20}, {u'\u00F8', u'\u00FE', -0x20}, {u'\u0100', u'\u012F', 0},
    {u'\u0132', u'\u0137', 0},     {u'\u0139', u'\u0148', 0},     {u'\u014A', u'\u0177', 0},
    {u'\u0179', u'\u017E', 0},     {u'\u01CD', u'\u01DC', 0},     {u'\u01DE', u'\u01EF', 0},
    {u'\u01F8', u'\u021F', 0},     {u'\u0222', u'\u0233', 0},     {u'\u03AD', u'\u03AF', -0x25},
    {u'\u03B1', u'\u03C1', -0x20}, {u'\u03C3', u'\u03CB', -0x20}, {u'\u03CD', u'\u03CE', -0x3F},
    {u'\u03D8', u'\u03EF', 0},     {u'\u0430', u'\u044F', -0x20}, {u'\u0450', u'\u045F', -0x50},
    {u'\u0460', u'\u0481', 0},     {u'\u048A', u'\u04BF', 0},     {u'\u04C1', u'\u04CE', 0},
    {u'\u04D0', u'\u052F', 0},     {u'\uFF41', u'\uFF5A', -0x20},
};

char16_t FoldChar(char16_t c)
{
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    switch (c) {
    case u'\u00FF': return u'\u0178';
    case u'\u0131': return u'I';
    case u'\u017F': return u'S';
    case u'\u03AC': return u'\u0386';
    case u'\u03C2': return u'\u03A3';
    case u'\u03CC': return u'\u038C';
    case u'\u04CF': return u'\u04C0';
    default: break;
    }
    for (const FoldRange& r : kFoldRanges) {
        if (c < r.first || c > r.last) continue;
        // Blocks of pairs that start on an odd code point keep the capital on the odd one.
        const int parity = r.first & 1;
        if (r.delta != 0) return static_cast<char16_t>(c + r.delta);
        return ((c & 1) != parity) ? static_cast<char16_t>(c - 1) : c;
    }
    return c;
}

// Orders names as their folded forms would order, without making them.
int CompareFolded(std::u16string_view a, std::u16string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = FoldChar(a[i]), y = FoldChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

LONG StatusOf(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_NOTADB: return ERROR_BADDB;
    case SQLITE_CORRUPT:
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH:
    case SQLITE_CONSTRAINT: return ERROR_REGISTRY_CORRUPT;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN: return ERROR_CANTOPEN;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ERROR_LOCK_VIOLATION;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    default: return kIoFailed;
    }
}

// A prepared statement kept for the store's life; Use() hands it out reset and unbound.
class Statement {
public:
    Statement(const char* sql) : m_sql(sql) {}  // NOLINT: implicit, so members read as "name = sql"
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    LONG Use(sqlite3* db, sqlite3_stmt** out)
    {
        if (!m_stmt) {
            const int rc = sqlite3_prepare_v3(db, m_sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
            if (rc != SQLITE_OK) return StatusOf(rc);
        }
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        *out = m_stmt;
        return ERROR_SUCCESS;
    }
    void Finalize()
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }

private:
    const char* m_sql;
    sqlite3_stmt* m_stmt = nullptr;
};

void BindText(sqlite3_stmt* s, int index, std::u16string_view text)
{
    // Names are kept as their UTF-16 code units (host order), so any name round-trips unchanged.
    static const char16_t empty = 0;
    sqlite3_bind_blob(s, index, text.empty() ? &empty : text.data(), static_cast<int>(text.size() * 2),
                      SQLITE_TRANSIENT);
}

std::u16string ColumnText(sqlite3_stmt* s, int column)
{
    const int bytes = sqlite3_column_bytes(s, column);
    std::u16string text(static_cast<std::size_t>(bytes / 2), u'\0');
    if (bytes >= 2) std::memcpy(text.data(), sqlite3_column_blob(s, column), text.size() * 2);
    return text;
}

// Splits a backslash-separated path; empty components (doubled or trailing separators) are skipped.
template <class Fn>
LONG ForEachComponent(std::u16string_view path, Fn&& fn)
{
    while (!path.empty()) {
        const std::size_t cut = std::min(path.find(u'\\'), path.size());
        const std::u16string_view part = path.substr(0, cut);
        path.remove_prefix(std::min(cut + 1, path.size()));
        if (part.empty()) continue;
        if (part.size() > RegStore::kMaxKeyNameLen) return ERROR_INVALID_PARAMETER;
        if (const LONG status = fn(part); status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

}  // namespace

struct RegStore::Impl {
    struct Child {
        std::u16string name;
        KeyId id;
    };
    struct CachedValue {
        RegStoreValue value;
        sqlite3_int64 seq;  // the row's id: values list in the order they were made
    };
    struct Node {
        bool childrenLoaded = false;
        std::vector<Child> children;  // in folded name order
        bool valuesLoaded = false;
        std::vector<CachedValue> values;  // creation order
        bool childValuesLoaded = false;
    };

    explicit Impl(const std::string& path) : path(path) {}
    ~Impl() { Close(); }

    const std::string& path;
    sqlite3* db = nullptr;
    bool batch = false;
    std::unordered_map<KeyId, Node> nodes;
    sqlite3_int64 dataVersion = -1;
    const volatile unsigned char* walHeader = nullptr;
    std::array<unsigned char, kWalHeaderSize> seenHeader{};

    Statement dataVersionSql = "PRAGMA data_version";
    Statement keySql = "SELECT 1 FROM keys WHERE id = ?1";
    Statement childrenSql = "SELECT id, name FROM keys WHERE parent = ?1";
    Statement valuesSql = "SELECT key, name, type, data, rowid FROM vals WHERE key = ?1";
    Statement childValuesSql =
        "SELECT key, name, type, data, rowid FROM vals WHERE key IN (SELECT id FROM keys WHERE parent = ?1)";
    Statement insertKeySql = "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)";
    Statement setValueSql =
        "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data";
    Statement deleteValueSql = "DELETE FROM vals WHERE key = ?1 AND fold = ?2";
    Statement deleteTreeValuesSql =
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree ON k.parent = tree.id) "
        "DELETE FROM vals WHERE key IN tree";
    Statement deleteTreeKeysSql =
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN tree ON k.parent = tree.id) "
        "DELETE FROM keys WHERE id IN tree";

    void Close()
    {
        for (Statement* s : {&dataVersionSql, &keySql, &childrenSql, &valuesSql, &childValuesSql, &insertKeySql, &setValueSql,
                             &deleteValueSql, &deleteTreeValuesSql, &deleteTreeKeysSql})
            s->Finalize();
        sqlite3_close(db);
        db = nullptr;
        walHeader = nullptr;
        batch = false;
        nodes.clear();
    }

    LONG Exec(const char* sql) { return StatusOf(sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }

    LONG QueryInt(const char* sql, sqlite3_int64* value)
    {
        sqlite3_stmt* s = nullptr;
        const int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        const int step = rc == SQLITE_OK ? sqlite3_step(s) : rc;
        if (step == SQLITE_ROW) *value = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        return step == SQLITE_ROW ? ERROR_SUCCESS : StatusOf(step == SQLITE_DONE ? SQLITE_CORRUPT : step);
    }

    LONG Open()
    {
        if (db) return ERROR_SUCCESS;
        const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                       nullptr);
        LONG status = rc == SQLITE_OK ? Prepare() : StatusOf(rc);
        if (status != ERROR_SUCCESS) Close();
        return status;
    }

    LONG Prepare()
    {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_int64 version = 0;
        if (LONG status = QueryInt("PRAGMA user_version", &version); status != ERROR_SUCCESS) return status;
        // A read-only store that is already set up is still readable, so only a new file is written here.
        if (version != kSchemaVersion) {
            if (LONG status = CreateSchema(); status != ERROR_SUCCESS) return status;
        }
        EnableWal();
        Exec("PRAGMA synchronous=NORMAL");
        // Reads map the file rather than copy it page by page: a cold scan of a large store halves.
        Exec("PRAGMA mmap_size=268435456");
        return Sync();
    }

    LONG CreateSchema()
    {
        if (LONG status = Exec("BEGIN IMMEDIATE"); status != ERROR_SUCCESS) return status;
        sqlite3_int64 version = 0;
        LONG status = QueryInt("PRAGMA user_version", &version);
        if (status == ERROR_SUCCESS && version != 0 && version != kSchemaVersion) status = ERROR_BADDB;
        if (status == ERROR_SUCCESS && version == 0) {
            status = Exec(
                "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, name BLOB NOT NULL, "
                "fold BLOB NOT NULL, UNIQUE(parent, fold));"
                "CREATE TABLE vals(key INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL, "
                "type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold));"
                "PRAGMA user_version=1");
        }
        for (KeyId id = 1; status == ERROR_SUCCESS && id <= kRootCount; ++id) {
            sqlite3_stmt* s = nullptr;
            status = StatusOf(sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES(?1, 0, ?2, ?2)",
                                                 -1, &s, nullptr));
            if (status != ERROR_SUCCESS) break;
            sqlite3_bind_int64(s, 1, id);
            BindText(s, 2, kRootNames[static_cast<std::size_t>(id - 1)]);
            status = StatusOf(sqlite3_step(s));
            sqlite3_finalize(s);
        }
        return EndTransaction(status);
    }

    // Turning WAL on needs the file to itself and SQLite does not wait for that: a process opening the
    // store at the same moment makes it fail at once, so it is tried again for as long as a busy wait.
    // A read-only store keeps the mode it has.
    void EnableWal()
    {
        for (int tries = 0; tries < kWalTries; ++tries) {
            const int rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) & 0xFF;
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    LONG EndTransaction(LONG status)
    {
        if (status == ERROR_SUCCESS) status = Exec("COMMIT");
        if (status != ERROR_SUCCESS) Exec("ROLLBACK");
        return status;
    }

    // Our layer reads SQLite's WAL-index header straight from the shared memory that SQLite already
    // maps: while it is unchanged no process committed anything, so the cache stands without a query.
    void MapWalHeader()
    {
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file) return;
        if (!file->pMethods || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap) return;
        volatile void* region = nullptr;
        if (file->pMethods->xShmMap(file, 0, kShmRegionSize, 0, &region) != SQLITE_OK || !region) return;
        walHeader = static_cast<const volatile unsigned char*>(region);
    }

    std::array<unsigned char, kWalHeaderSize> ReadWalHeader() const
    {
        std::array<unsigned char, kWalHeaderSize> header{};
        std::atomic_thread_fence(std::memory_order_acquire);
        for (std::size_t i = 0; i < header.size(); ++i) header[i] = walHeader[i];
        return header;
    }

    // Drops the cache when another connection committed since it was filled.
    LONG Sync()
    {
        std::array<unsigned char, kWalHeaderSize> header{};
        if (walHeader) {
            header = ReadWalHeader();
            if (header == seenHeader) return ERROR_SUCCESS;
        }
        sqlite3_stmt* s = nullptr;
        if (LONG status = dataVersionSql.Use(db, &s); status != ERROR_SUCCESS) return status;
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_ROW) return StatusOf(rc);
        const sqlite3_int64 version = sqlite3_column_int64(s, 0);
        sqlite3_reset(s);
        if (version != dataVersion) nodes.clear();
        dataVersion = version;
        // The header must be read before the version it vouches for: once newly mapped, the next call
        // finds it unlike the zeros seen so far and reads both in that order.
        if (!walHeader) MapWalHeader();
        else seenHeader = header;
        return ERROR_SUCCESS;
    }

    LONG Begin()
    {
        if (LONG status = Open(); status != ERROR_SUCCESS) return status;
        return Sync();
    }

    LONG FindNode(KeyId id, Node** node)
    {
        if (auto it = nodes.find(id); it != nodes.end()) {
            *node = &it->second;
            return ERROR_SUCCESS;
        }
        sqlite3_stmt* s = nullptr;
        if (LONG status = keySql.Use(db, &s); status != ERROR_SUCCESS) return status;
        sqlite3_bind_int64(s, 1, id);
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StatusOf(rc);
        *node = &nodes[id];
        return ERROR_SUCCESS;
    }

    LONG LoadChildren(KeyId id, Node& node)
    {
        if (node.childrenLoaded) return ERROR_SUCCESS;
        sqlite3_stmt* s = nullptr;
        if (LONG status = childrenSql.Use(db, &s); status != ERROR_SUCCESS) return status;
        sqlite3_bind_int64(s, 1, id);
        std::vector<Child> children;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) children.push_back({ColumnText(s, 1), sqlite3_column_int64(s, 0)});
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return StatusOf(rc);
        std::sort(children.begin(), children.end(),
                  [](const Child& a, const Child& b) { return CompareFolded(a.name, b.name) < 0; });
        nodes.reserve(nodes.size() + children.size());
        for (const Child& c : children) nodes.try_emplace(c.id);
        node.children = std::move(children);
        node.childrenLoaded = true;
        return ERROR_SUCCESS;
    }

    // Adds rows of (key, name, type, data, rowid) to the keys whose values are not loaded yet.
    LONG ReadValues(Statement& sql, KeyId id)
    {
        sqlite3_stmt* s = nullptr;
        if (LONG status = sql.Use(db, &s); status != ERROR_SUCCESS) return status;
        sqlite3_bind_int64(s, 1, id);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const auto it = nodes.find(sqlite3_column_int64(s, 0));
            if (it == nodes.end() || it->second.valuesLoaded) continue;
            const auto* bytes = static_cast<const BYTE*>(sqlite3_column_blob(s, 3));
            it->second.values.push_back(
                {{ColumnText(s, 1), static_cast<DWORD>(sqlite3_column_int64(s, 2)),
                  std::vector<BYTE>(bytes, bytes + sqlite3_column_bytes(s, 3))},
                 sqlite3_column_int64(s, 4)});
        }
        sqlite3_reset(s);
        return rc == SQLITE_DONE ? ERROR_SUCCESS : StatusOf(rc);
    }

    // Rows come in name order from the key's index; their ids give back the creation order.
    static void FinishValues(Node& node)
    {
        std::sort(node.values.begin(), node.values.end(),
                  [](const CachedValue& a, const CachedValue& b) { return a.seq < b.seq; });
        node.valuesLoaded = true;
    }

    LONG LoadValues(KeyId id, Node& node)
    {
        if (node.valuesLoaded) return ERROR_SUCCESS;
        node.values.clear();
        if (LONG status = ReadValues(valuesSql, id); status != ERROR_SUCCESS) return status;
        FinishValues(node);
        return ERROR_SUCCESS;
    }

    // A caller that walks the sub-keys reads them next (the catalogue does): one query for them all
    // costs far less than one per key.
    LONG LoadChildValues(KeyId id, Node& node)
    {
        if (node.childValuesLoaded) return ERROR_SUCCESS;
        for (const Child& c : node.children)
            if (Node& child = nodes[c.id]; !child.valuesLoaded) child.values.clear();
        if (LONG status = ReadValues(childValuesSql, id); status != ERROR_SUCCESS) return status;
        for (const Child& c : node.children)
            if (Node& child = nodes[c.id]; !child.valuesLoaded) FinishValues(child);
        node.childValuesLoaded = true;
        return ERROR_SUCCESS;
    }

    // Where name stands or would stand among the sub-keys.
    static std::vector<Child>::iterator LowerChild(Node& node, std::u16string_view name)
    {
        return std::lower_bound(node.children.begin(), node.children.end(), name,
                                [](const Child& c, std::u16string_view n) { return CompareFolded(c.name, n) < 0; });
    }

    static std::vector<Child>::iterator FindChild(Node& node, std::u16string_view name)
    {
        const auto it = LowerChild(node, name);
        return (it != node.children.end() && CompareFolded(it->name, name) == 0) ? it : node.children.end();
    }

    static CachedValue* FindValue(Node& node, std::u16string_view name)
    {
        for (CachedValue& v : node.values)
            if (CompareFolded(v.value.name, name) == 0) return &v;
        return nullptr;
    }

    // Walks the path from parent; missing keys are made when create is set.
    LONG Resolve(KeyId parent, std::u16string_view path, bool create, KeyId* result, bool* created)
    {
        Node* node = nullptr;
        if (LONG status = FindNode(parent, &node); status != ERROR_SUCCESS) return status;
        KeyId id = parent;
        bool made = false;
        const LONG status = ForEachComponent(path, [&](std::u16string_view part) -> LONG {
            if (LONG st = LoadChildren(id, *node); st != ERROR_SUCCESS) return st;
            const auto it = FindChild(*node, part);
            if (it != node->children.end()) {
                id = it->id;
                return FindNode(id, &node);
            }
            if (!create) return ERROR_FILE_NOT_FOUND;
            KeyId child = 0;
            if (LONG st = InsertKey(id, part, &child); st != ERROR_SUCCESS) return st;
            node->children.insert(LowerChild(*node, part), Child{std::u16string(part), child});
            // A new key is known to be empty, so it needs no loading later.
            Node& fresh = nodes[child];
            fresh.childrenLoaded = fresh.valuesLoaded = fresh.childValuesLoaded = true;
            id = child;
            node = &fresh;
            made = true;
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS) return status;
        *result = id;
        if (created) *created = made;
        return ERROR_SUCCESS;
    }

    LONG InsertKey(KeyId parent, std::u16string_view name, KeyId* id)
    {
        sqlite3_stmt* s = nullptr;
        if (LONG status = insertKeySql.Use(db, &s); status != ERROR_SUCCESS) return status;
        sqlite3_bind_int64(s, 1, parent);
        BindText(s, 2, name);
        BindText(s, 3, RegStore::FoldName(name));
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return StatusOf(rc);
        *id = sqlite3_last_insert_rowid(db);
        return ERROR_SUCCESS;
    }

    // Runs a change in a transaction of its own (a savepoint inside a batch). The cache is refreshed
    // once the write lock is held, so the change is decided on the latest committed state.
    LONG Write(const std::function<LONG()>& change)
    {
        if (LONG status = Open(); status != ERROR_SUCCESS) return status;
        if (LONG status = Exec(batch ? "SAVEPOINT change" : "BEGIN IMMEDIATE"); status != ERROR_SUCCESS) return status;
        LONG status = Sync();
        if (status == ERROR_SUCCESS) status = change();
        if (batch) {
            if (status != ERROR_SUCCESS) Exec("ROLLBACK TO change");
            Exec("RELEASE change");
        } else {
            status = EndTransaction(status);
        }
        // The cache may hold part of a change that was undone.
        if (status != ERROR_SUCCESS) nodes.clear();
        return status;
    }

    LONG RunStep(Statement& sql, KeyId key, const std::u16string* fold = nullptr)
    {
        sqlite3_stmt* s = nullptr;
        if (LONG status = sql.Use(db, &s); status != ERROR_SUCCESS) return status;
        sqlite3_bind_int64(s, 1, key);
        if (fold) BindText(s, 2, *fold);
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        return rc == SQLITE_DONE ? ERROR_SUCCESS : StatusOf(rc);
    }
};

RegStore::RegStore(std::string hostPath) : m_path(std::move(hostPath)), m_impl(std::make_unique<Impl>(m_path)) {}

RegStore::~RegStore() = default;

LONG RegStore::Open() { return m_impl->Open(); }

RegStore::KeyId RegStore::RootKey(HKEY root)
{
    const auto value = reinterpret_cast<std::uintptr_t>(root);
    if (value < 0x80000000u || value >= 0x80000000u + kRootCount) return 0;
    return static_cast<KeyId>(value - 0x80000000u + 1);
}

std::u16string RegStore::FoldName(std::u16string_view name)
{
    std::u16string fold(name);
    for (char16_t& c : fold) c = FoldChar(c);
    return fold;
}

LONG RegStore::OpenKey(KeyId parent, std::u16string_view path, KeyId* result)
{
    if (LONG status = m_impl->Begin(); status != ERROR_SUCCESS) return status;
    return m_impl->Resolve(parent, path, false, result, nullptr);
}

LONG RegStore::CreateKey(KeyId parent, std::u16string_view path, KeyId* result, bool* created)
{
    return m_impl->Write([&] { return m_impl->Resolve(parent, path, true, result, created); });
}

LONG RegStore::DeleteKey(KeyId parent, std::u16string_view path)
{
    return m_impl->Write([&]() -> LONG {
        KeyId key = 0;
        if (LONG status = m_impl->Resolve(parent, path, false, &key, nullptr); status != ERROR_SUCCESS) return status;
        if (key <= kRootCount) return ERROR_ACCESS_DENIED;
        if (LONG status = m_impl->RunStep(m_impl->deleteTreeValuesSql, key); status != ERROR_SUCCESS) return status;
        if (LONG status = m_impl->RunStep(m_impl->deleteTreeKeysSql, key); status != ERROR_SUCCESS) return status;
        m_impl->nodes.clear();
        return ERROR_SUCCESS;
    });
}

LONG RegStore::CheckKey(KeyId key)
{
    if (LONG status = m_impl->Begin(); status != ERROR_SUCCESS) return status;
    Impl::Node* node = nullptr;
    return m_impl->FindNode(key, &node);
}

LONG RegStore::QueryValue(KeyId key, std::u16string_view name, DWORD* type, std::vector<BYTE>* data)
{
    if (name.size() > kMaxValueNameLen) return ERROR_INVALID_PARAMETER;
    if (LONG status = m_impl->Begin(); status != ERROR_SUCCESS) return status;
    Impl::Node* node = nullptr;
    if (LONG status = m_impl->FindNode(key, &node); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->LoadValues(key, *node); status != ERROR_SUCCESS) return status;
    const Impl::CachedValue* v = Impl::FindValue(*node, name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->value.type;
    if (data) data->assign(v->value.data.begin(), v->value.data.end());
    return ERROR_SUCCESS;
}

LONG RegStore::SetValue(KeyId key, std::u16string_view name, DWORD type, const BYTE* data, std::size_t size)
{
    if (name.size() > kMaxValueNameLen || (size > 0 && !data)) return ERROR_INVALID_PARAMETER;
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) return ERROR_INVALID_PARAMETER;
    return m_impl->Write([&]() -> LONG {
        Impl::Node* node = nullptr;
        if (LONG status = m_impl->FindNode(key, &node); status != ERROR_SUCCESS) return status;
        sqlite3_stmt* s = nullptr;
        if (LONG status = m_impl->setValueSql.Use(m_impl->db, &s); status != ERROR_SUCCESS) return status;
        const std::u16string fold = FoldName(name);
        static const BYTE none = 0;
        sqlite3_bind_int64(s, 1, key);
        BindText(s, 2, name);
        BindText(s, 3, fold);
        sqlite3_bind_int64(s, 4, type);
        sqlite3_bind_blob(s, 5, size ? data : &none, static_cast<int>(size), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return StatusOf(rc);
        if (!node->valuesLoaded) return ERROR_SUCCESS;
        Impl::CachedValue* v = Impl::FindValue(*node, name);
        if (!v) v = &node->values.emplace_back(Impl::CachedValue{{std::u16string(name), 0, {}}, sqlite3_last_insert_rowid(m_impl->db)});
        v->value.type = type;
        v->value.data.assign(data, data + size);
        return ERROR_SUCCESS;
    });
}

LONG RegStore::DeleteValue(KeyId key, std::u16string_view name)
{
    if (name.size() > kMaxValueNameLen) return ERROR_INVALID_PARAMETER;
    return m_impl->Write([&]() -> LONG {
        Impl::Node* node = nullptr;
        if (LONG status = m_impl->FindNode(key, &node); status != ERROR_SUCCESS) return status;
        const std::u16string fold = FoldName(name);
        if (LONG status = m_impl->RunStep(m_impl->deleteValueSql, key, &fold); status != ERROR_SUCCESS) return status;
        if (sqlite3_changes(m_impl->db) == 0) return ERROR_FILE_NOT_FOUND;
        std::erase_if(node->values, [&](const Impl::CachedValue& v) { return CompareFolded(v.value.name, name) == 0; });
        return ERROR_SUCCESS;
    });
}

LONG RegStore::EnumKey(KeyId key, DWORD index, std::u16string* name)
{
    if (LONG status = m_impl->Begin(); status != ERROR_SUCCESS) return status;
    Impl::Node* node = nullptr;
    if (LONG status = m_impl->FindNode(key, &node); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->LoadChildren(key, *node); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->LoadChildValues(key, *node); status != ERROR_SUCCESS) return status;
    if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
    *name = node->children[index].name;
    return ERROR_SUCCESS;
}

LONG RegStore::EnumValue(KeyId key, DWORD index, RegStoreValue* value)
{
    if (LONG status = m_impl->Begin(); status != ERROR_SUCCESS) return status;
    Impl::Node* node = nullptr;
    if (LONG status = m_impl->FindNode(key, &node); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->LoadValues(key, *node); status != ERROR_SUCCESS) return status;
    if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    *value = node->values[index].value;
    return ERROR_SUCCESS;
}

LONG RegStore::QueryInfo(KeyId key, RegStoreKeyInfo* info)
{
    if (LONG status = m_impl->Begin(); status != ERROR_SUCCESS) return status;
    Impl::Node* node = nullptr;
    if (LONG status = m_impl->FindNode(key, &node); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->LoadChildren(key, *node); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->LoadValues(key, *node); status != ERROR_SUCCESS) return status;
    RegStoreKeyInfo result;
    result.subKeys = static_cast<DWORD>(node->children.size());
    result.values = static_cast<DWORD>(node->values.size());
    for (const Impl::Child& c : node->children)
        result.maxSubKeyLen = std::max(result.maxSubKeyLen, static_cast<DWORD>(c.name.size()));
    for (const Impl::CachedValue& v : node->values) {
        result.maxValueNameLen = std::max(result.maxValueNameLen, static_cast<DWORD>(v.value.name.size()));
        result.maxValueLen = std::max(result.maxValueLen, static_cast<DWORD>(v.value.data.size()));
    }
    *info = result;
    return ERROR_SUCCESS;
}

LONG RegStore::BeginBatch()
{
    if (m_impl->batch) return ERROR_INVALID_PARAMETER;
    if (LONG status = m_impl->Open(); status != ERROR_SUCCESS) return status;
    if (LONG status = m_impl->Exec("BEGIN IMMEDIATE"); status != ERROR_SUCCESS) return status;
    m_impl->batch = true;
    return ERROR_SUCCESS;
}

LONG RegStore::CommitBatch()
{
    if (!m_impl->batch) return ERROR_INVALID_PARAMETER;
    m_impl->batch = false;
    const LONG status = m_impl->EndTransaction(ERROR_SUCCESS);
    if (status != ERROR_SUCCESS) m_impl->nodes.clear();
    return status;
}

void RegStore::RollbackBatch()
{
    if (!m_impl->batch) return;
    m_impl->batch = false;
    m_impl->Exec("ROLLBACK");
    m_impl->nodes.clear();
}
