// pelrudo-reg: the user's tool for a registry store: import and export .reg files, query and delete keys.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegStore.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"
#include "tools/reg/RegFileExport.h"
#include "tools/reg/RegFileImport.h"
#include "tools/reg/RegKeyPath.h"

namespace {

const char kUsage[] =
    "usage: pelrudo-reg [--store PATH] import FILE.reg\n"
    "       pelrudo-reg [--store PATH] export FILE.reg [KEY]\n"
    "       pelrudo-reg [--store PATH] query KEY [VALUE]\n"
    "       pelrudo-reg [--store PATH] delete KEY\n"
    "KEY reads HKEY_LOCAL_MACHINE\\SOFTWARE\\... (or HKLM, HKCU, HKCR, HKU). The store is the desktop's\n"
    "(PELRUDO_REGISTRY, else <prefix>/registry.db) unless --store names another.\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "pelrudo-reg: %s\n", message.c_str());
    return 1;
}

std::string StatusText(LONG status)
{
    const char* text = "failed";
    switch (status) {
    case ERROR_FILE_NOT_FOUND: text = "not found"; break;
    case ERROR_ACCESS_DENIED: text = "access denied (the store is read-only)"; break;
    case ERROR_INVALID_PARAMETER: text = "invalid key or value name"; break;
    case ERROR_BADDB: text = "the store is not a registry database"; break;
    case ERROR_CANTOPEN: text = "the store cannot be opened"; break;
    case ERROR_REGISTRY_CORRUPT: text = "the store is damaged"; break;
    case ERROR_LOCK_VIOLATION: text = "the store stayed locked by another program"; break;
    default: break;
    }
    return std::string(text) + " (error " + std::to_string(status) + ")";
}

const char* TypeName(DWORD type)
{
    static const char* const kNames[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                         "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ", "REG_RESOURCE_LIST",
                                         "REG_FULL_RESOURCE_DESCRIPTOR", "REG_RESOURCE_REQUIREMENTS_LIST",
                                         "REG_QWORD"};
    return type < std::size(kNames) ? kNames[type] : nullptr;
}

std::u16string Units(const std::vector<BYTE>& data)
{
    std::u16string units(data.size() / 2, u'\0');
    std::memcpy(units.data(), data.data(), units.size() * 2);
    return units;
}

// The data as reg.exe shows it: text up to its terminator, lists joined by \0, numbers in hex, else bytes.
std::string DataText(const RegStoreValue& v)
{
    std::u16string units = Units(v.data);
    if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) return Utf16ToUtf8(units.substr(0, units.find(u'\0')));
    if (v.type == REG_MULTI_SZ) {
        while (!units.empty() && units.back() == u'\0') units.pop_back();
        // Each string is converted whole, so that a surrogate pair stays one character.
        std::string out;
        for (std::size_t start = 0;;) {
            const std::size_t end = units.find(u'\0', start);
            out += Utf16ToUtf8(units.substr(start, end - start));
            if (end == std::u16string::npos) return out;
            out += "\\0";
            start = end + 1;
        }
    }
    char number[32];
    if ((v.type == REG_DWORD || v.type == REG_DWORD_BIG_ENDIAN) && v.data.size() == 4) {
        DWORD n = 0;
        for (int i = 0; i < 4; ++i) n |= static_cast<DWORD>(v.data[v.type == REG_DWORD ? i : 3 - i]) << (8 * i);
        std::snprintf(number, sizeof number, "0x%" PRIx32 " (%" PRIu32 ")", n, n);
        return number;
    }
    if (v.type == REG_QWORD && v.data.size() == 8) {
        std::uint64_t n = 0;
        for (int i = 0; i < 8; ++i) n |= static_cast<std::uint64_t>(v.data[i]) << (8 * i);
        std::snprintf(number, sizeof number, "0x%" PRIx64, n);
        return number;
    }
    std::string out;
    for (BYTE b : v.data) {
        std::snprintf(number, sizeof number, "%02X", b);
        out += number;
    }
    return out;
}

void PrintValue(const RegStoreValue& v)
{
    const char* type = TypeName(v.type);
    char unknown[16];
    if (!type) {
        std::snprintf(unknown, sizeof unknown, "0x%" PRIx32, v.type);
        type = unknown;
    }
    const std::string name = v.name.empty() ? "(Default)" : Utf16ToUtf8(v.name);
    std::printf("    %s    %s    %s\n", name.c_str(), type, DataText(v).c_str());
}

// The root's key and the path below it; false when the text names no root.
bool SplitKey(const std::string& key, RegStore::KeyId* root, std::u16string* sub)
{
    HKEY rootKey = nullptr;
    if (!RegKeyPath::Split(Utf8ToUtf16(key), &rootKey, sub)) return false;
    *root = RegStore::RootKey(rootKey);
    return true;
}

int Query(RegStore& store, const std::string& key, const char* valueName)
{
    RegStore::KeyId root = 0, id = 0;
    std::u16string sub;
    if (!SplitKey(key, &root, &sub)) return Fail(key + ": " + StatusText(ERROR_INVALID_PARAMETER));
    if (LONG status = store.OpenKey(root, sub, &id); status != ERROR_SUCCESS) return Fail(key + ": " + StatusText(status));
    std::printf("%s\n", key.c_str());
    // One value is shown under its stored name, so it is looked for among them all.
    const std::u16string wanted = valueName ? RegStore::FoldName(Utf8ToUtf16(valueName)) : std::u16string();
    RegStoreValue value;
    LONG status = ERROR_SUCCESS;
    bool found = false;
    for (DWORD i = 0; (status = store.EnumValue(id, i, &value)) == ERROR_SUCCESS; ++i) {
        if (valueName && RegStore::FoldName(value.name) != wanted) continue;
        PrintValue(value);
        found = true;
    }
    if (status != ERROR_NO_MORE_ITEMS) return Fail(key + ": " + StatusText(status));
    if (valueName) return found ? 0 : Fail(key + ": value " + valueName + ": " + StatusText(ERROR_FILE_NOT_FOUND));
    std::u16string child;
    for (DWORD i = 0; (status = store.EnumKey(id, i, &child)) == ERROR_SUCCESS; ++i)
        std::printf("%s\\%s\n", key.c_str(), Utf16ToUtf8(child).c_str());
    return status == ERROR_NO_MORE_ITEMS ? 0 : Fail(key + ": " + StatusText(status));
}

int Delete(RegStore& store, const std::string& key)
{
    RegStore::KeyId root = 0;
    std::u16string sub;
    if (!SplitKey(key, &root, &sub)) return Fail(key + ": " + StatusText(ERROR_INVALID_PARAMETER));
    const LONG status = store.DeleteKey(root, sub);
    return status == ERROR_SUCCESS ? 0 : Fail(key + ": " + StatusText(status));
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> storePath;
    if (args.size() >= 2 && args[0] == "--store") {
        storePath = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    const std::string command = args.empty() ? std::string() : args[0];
    const bool known = (command == "import" && args.size() == 2) ||
                       (command == "export" && (args.size() == 2 || args.size() == 3)) ||
                       (command == "query" && (args.size() == 2 || args.size() == 3)) ||
                       (command == "delete" && args.size() == 2);
    if (!known) {
        std::fputs(kUsage, stderr);
        return 1;
    }

    RegStore store(storePath ? *storePath : RegGetStorePath());
    // Only an import may bring a store into being; a mistyped --store is not made for a query.
    std::error_code ignored;
    if (command != "import" && !std::filesystem::exists(store.Path(), ignored))
        return Fail(store.Path() + ": no such store");
    if (LONG status = store.Open(); status != ERROR_SUCCESS) return Fail(store.Path() + ": " + StatusText(status));
    if (command == "import") {
        RegFileImport import(store);
        return import.ImportFile(args[1]) ? 0 : Fail(import.Error());
    }
    if (command == "export") {
        RegFileExport exporter(store);
        const LONG status = exporter.WriteFile(args[1], args.size() == 3 ? Utf8ToUtf16(args[2]) : std::u16string());
        return status == ERROR_SUCCESS ? 0 : Fail((args.size() == 3 ? args[2] : args[1]) + ": " + StatusText(status));
    }
    if (command == "query") return Query(store, args[1], args.size() == 3 ? args[2].c_str() : nullptr);
    return Delete(store, args[1]);
}
