// RegFileExport: writes keys of a store as a version 5.00 registration file, the way regedit writes it.
#pragma once

#include <string>
#include <string_view>

#include "platform/RegStore.h"

class RegFileExport {
public:
    explicit RegFileExport(RegStore& store) : m_store(store) {}

    // The key (written "HKLM\..." or in full) and everything below it; every root when key is empty.
    // Status 0, or the store's status (2 for a missing key, 87 for a path with no known root).
    LONG Text(std::u16string_view key, std::u16string* text);
    // The text as a file: UTF-16LE after the byte-order mark FF FE, CR LF line ends.
    LONG WriteFile(const std::string& hostPath, std::u16string_view key);

private:
    LONG Resolve(std::u16string_view key, RegStore::KeyId* id, std::u16string* path);
    LONG AddKey(RegStore::KeyId id, const std::u16string& path, std::u16string* text);

    RegStore& m_store;
};
