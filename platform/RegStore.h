// RegStore: one registry store (an SQLite file) with a read cache; the Reg... calls and pelrudo-reg sit on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

// A value as kept: the name in the case it was created with, its type and its raw bytes.
struct RegStoreValue {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Sizes of a key's contents in characters and bytes, as RegQueryInfoKey reports them.
struct RegStoreKeyInfo {
    DWORD subKeys = 0;
    DWORD maxSubKeyLen = 0;
    DWORD values = 0;
    DWORD maxValueNameLen = 0;
    DWORD maxValueLen = 0;
};

// Every call returns the platform's status (0, 2, 5, 87, 234, 259, 1009 ...). Not thread-safe: callers
// that share a store between threads hold their own lock. Do not carry an open store across fork().
class RegStore {
public:
    using KeyId = std::int64_t;

    static constexpr std::size_t kMaxKeyNameLen = 255;
    static constexpr std::size_t kMaxValueNameLen = 16383;

    explicit RegStore(std::string hostPath);
    ~RegStore();
    RegStore(const RegStore&) = delete;
    RegStore& operator=(const RegStore&) = delete;

    // Opens (or creates) the file and its tables; every other call opens it on demand as well.
    LONG Open();
    const std::string& Path() const { return m_path; }

    // The key of a predefined root (HKEY_CLASSES_ROOT ... HKEY_USERS); 0 for any other handle value.
    static KeyId RootKey(HKEY root);

    // Paths are sub-keys separated by backslashes, relative to parent; an empty path is parent itself.
    LONG OpenKey(KeyId parent, std::u16string_view path, KeyId* result);
    LONG CreateKey(KeyId parent, std::u16string_view path, KeyId* result, bool* created = nullptr);
    // Removes the key with everything below it, as Windows CE does; a root cannot be removed.
    LONG DeleteKey(KeyId parent, std::u16string_view path);
    // 0 while the key exists, ERROR_KEY_DELETED once another call or process removed it.
    LONG CheckKey(KeyId key);

    LONG QueryValue(KeyId key, std::u16string_view name, DWORD* type, std::vector<BYTE>* data);
    LONG SetValue(KeyId key, std::u16string_view name, DWORD type, const BYTE* data, std::size_t size);
    LONG DeleteValue(KeyId key, std::u16string_view name);

    // Sub-keys in case-insensitive name order; values in the order they were created.
    LONG EnumKey(KeyId key, DWORD index, std::u16string* name);
    LONG EnumValue(KeyId key, DWORD index, RegStoreValue* value);
    LONG QueryInfo(KeyId key, RegStoreKeyInfo* info);

    // Groups writes into one transaction: nothing of it is kept unless CommitBatch succeeds.
    LONG BeginBatch();
    LONG CommitBatch();
    void RollbackBatch();

    // The folded form under which names compare: case-insensitive for ASCII, Latin, Greek and Cyrillic.
    static std::u16string FoldName(std::u16string_view name);

private:
    struct Impl;
    std::string m_path;
    std::unique_ptr<Impl> m_impl;
};
