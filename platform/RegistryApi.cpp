// The Reg... calls: handle table, argument checks and narrow conversions over the process's RegStore.
#include "platform/RegistryApi.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/HostPath.h"
#include "platform/RegStore.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

using KeyId = RegStore::KeyId;

struct OpenedKey {
    std::shared_ptr<RegStore> store;
    KeyId id;
};

// One lock for every call: the handheld emulator serves several sessions from threads.
struct Registry {
    std::mutex lock;
    std::string boundPath;
    std::shared_ptr<RegStore> store;
    std::unordered_map<std::uintptr_t, OpenedKey> handles;
    std::uintptr_t nextHandle = 0x1000;
    std::vector<BYTE> buffer;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

std::string DefaultStorePath()
{
    const char* env = std::getenv("PELRUDO_REGISTRY");
    if (env && *env) return env;
    return GetPrefix() + "/registry.db";
}

RegStore& CurrentStore(Registry& reg)
{
    if (!reg.store) reg.store = std::make_shared<RegStore>(reg.boundPath.empty() ? DefaultStorePath() : reg.boundPath);
    return *reg.store;
}

// Our layer sets the thread's last error to every call's status, so that callers that read the last
// error after a registry call see why it failed.
template <class Fn>
LONG Call(Fn&& fn)
{
    Registry& reg = TheRegistry();
    std::lock_guard guard(reg.lock);
    const LONG status = fn(reg);
    SetLastError(static_cast<DWORD>(status));
    return status;
}

// A predefined root or a handle from the table; anything else (bogus, closed) is an invalid handle.
LONG Lookup(Registry& reg, HKEY key, RegStore** store, KeyId* id)
{
    if (const KeyId root = RegStore::RootKey(key)) {
        *store = &CurrentStore(reg);
        *id = root;
        return ERROR_SUCCESS;
    }
    const auto it = reg.handles.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == reg.handles.end()) return ERROR_INVALID_HANDLE;
    *store = it->second.store.get();
    *id = it->second.id;
    return ERROR_SUCCESS;
}

HKEY AddHandle(Registry& reg, HKEY parent, KeyId id)
{
    std::shared_ptr<RegStore> store = reg.store;
    if (!RegStore::RootKey(parent)) store = reg.handles.at(reinterpret_cast<std::uintptr_t>(parent)).store;
    const std::uintptr_t handle = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles.emplace(handle, OpenedKey{std::move(store), id});
    return reinterpret_cast<HKEY>(handle);
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::u16string_view Wide(LPCWSTR text) { return text ? std::u16string_view(text) : std::u16string_view(); }
std::u16string Wide(LPCSTR text) { return text ? AnsiToUtf16(text) : std::u16string(); }

// Text data in the narrow calls is code-page bytes; the store keeps UTF-16 code units.
std::vector<BYTE> ToNarrowData(const std::vector<BYTE>& data)
{
    std::u16string units(data.size() / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), data.data(), units.size() * 2);
    const std::string narrow = Utf16ToAnsi(units);
    return std::vector<BYTE>(narrow.begin(), narrow.end());
}

std::vector<BYTE> ToWideData(const BYTE* data, DWORD size)
{
    if (!data || size == 0) return {};
    const std::u16string units = AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<BYTE> bytes(units.size() * 2);
    if (!bytes.empty()) std::memcpy(bytes.data(), units.data(), bytes.size());
    return bytes;
}

// Hands bytes to a caller's buffer as the platform does: the size alone without a buffer, 234 and
// the needed size when the buffer is too small.
LONG CopyOut(const BYTE* bytes, std::size_t count, BYTE* data, DWORD* size)
{
    if (data && !size) return ERROR_INVALID_PARAMETER;
    if (!size) return ERROR_SUCCESS;
    const DWORD available = *size;
    *size = static_cast<DWORD>(count);
    if (!data) return ERROR_SUCCESS;
    if (available < count) return ERROR_MORE_DATA;
    if (count) std::memcpy(data, bytes, count);
    return ERROR_SUCCESS;
}

// Names go out with their terminator; the size counts characters without it on success, with it on 234.
LONG CopyName(const std::u16string& text, LPWSTR name, DWORD* nameSize)
{
    if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
    if (*nameSize < text.size() + 1) {
        *nameSize = static_cast<DWORD>(text.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    *nameSize = static_cast<DWORD>(text.size());
    return ERROR_SUCCESS;
}

// Access masks are not checked: every handle may read and write, as on Windows CE.
LONG OpenKey(Registry& reg, HKEY key, std::u16string_view subKey, HKEY* result, DWORD* disposition, bool create)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    RegStore* store = nullptr;
    KeyId parent = 0;
    if (LONG status = Lookup(reg, key, &store, &parent); status != ERROR_SUCCESS) return status;
    KeyId id = 0;
    bool created = false;
    const LONG status = create ? store->CreateKey(parent, subKey, &id, &created) : store->OpenKey(parent, subKey, &id);
    if (status != ERROR_SUCCESS) return status;
    *result = AddHandle(reg, key, id);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG QueryValue(Registry& reg, HKEY key, std::u16string_view name, bool narrow, DWORD* type, BYTE* data, DWORD* size)
{
    if (data && !size) return ERROR_INVALID_PARAMETER;
    RegStore* store = nullptr;
    KeyId id = 0;
    if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
    DWORD found = REG_NONE;
    if (LONG status = store->QueryValue(id, name, &found, &reg.buffer); status != ERROR_SUCCESS) return status;
    if (narrow && IsText(found)) reg.buffer = ToNarrowData(reg.buffer);
    if (type) *type = found;
    return CopyOut(reg.buffer.data(), reg.buffer.size(), data, size);
}

LONG SetValue(Registry& reg, HKEY key, std::u16string_view name, DWORD type, const BYTE* data, DWORD size, bool narrow)
{
    if (!data && size) return ERROR_INVALID_PARAMETER;
    RegStore* store = nullptr;
    KeyId id = 0;
    if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
    if (!narrow || !IsText(type)) return store->SetValue(id, name, type, data, size);
    const std::vector<BYTE> wide = ToWideData(data, size);
    return store->SetValue(id, name, type, wide.data(), wide.size());
}

LONG DeleteKey(Registry& reg, HKEY key, const void* subKey, std::u16string_view path)
{
    if (!subKey) return ERROR_INVALID_PARAMETER;
    RegStore* store = nullptr;
    KeyId id = 0;
    if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
    return store->DeleteKey(id, path);
}

LONG DeleteValue(Registry& reg, HKEY key, std::u16string_view name)
{
    RegStore* store = nullptr;
    KeyId id = 0;
    if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
    return store->DeleteValue(id, name);
}

}  // namespace

void RegSetStorePath(const std::string& hostPath)
{
    Registry& reg = TheRegistry();
    std::lock_guard guard(reg.lock);
    reg.boundPath = hostPath;
    reg.store.reset();
}

std::string RegGetStorePath()
{
    Registry& reg = TheRegistry();
    std::lock_guard guard(reg.lock);
    return CurrentStore(reg).Path();
}

LONG RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result)
{
    return Call([&](Registry& reg) { return OpenKey(reg, key, Wide(subKey), result, nullptr, false); });
}

LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD, REGSAM, HKEY* result)
{
    return Call([&](Registry& reg) { return OpenKey(reg, key, Wide(subKey), result, nullptr, false); });
}

LONG RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, HKEY* result,
                    DWORD* disposition)
{
    return Call([&](Registry& reg) {
        return subKey ? OpenKey(reg, key, Wide(subKey), result, disposition, true) : ERROR_INVALID_PARAMETER;
    });
}

LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, HKEY* result,
                    DWORD* disposition)
{
    return Call([&](Registry& reg) {
        return subKey ? OpenKey(reg, key, Wide(subKey), result, disposition, true) : ERROR_INVALID_PARAMETER;
    });
}

LONG RegQueryValueEx(HKEY key, LPCWSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    return Call([&](Registry& reg) { return QueryValue(reg, key, Wide(name), false, type, data, size); });
}

LONG RegQueryValueEx(HKEY key, LPCSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    return Call([&](Registry& reg) { return QueryValue(reg, key, Wide(name), true, type, data, size); });
}

LONG RegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    return Call([&](Registry& reg) { return SetValue(reg, key, Wide(name), type, data, size, false); });
}

LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    return Call([&](Registry& reg) { return SetValue(reg, key, Wide(name), type, data, size, true); });
}

LONG RegDeleteKey(HKEY key, LPCWSTR subKey)
{
    return Call([&](Registry& reg) { return DeleteKey(reg, key, subKey, Wide(subKey)); });
}

LONG RegDeleteKey(HKEY key, LPCSTR subKey)
{
    return Call([&](Registry& reg) { return DeleteKey(reg, key, subKey, Wide(subKey)); });
}

LONG RegDeleteValue(HKEY key, LPCWSTR name)
{
    return Call([&](Registry& reg) { return DeleteValue(reg, key, Wide(name)); });
}

LONG RegDeleteValue(HKEY key, LPCSTR name)
{
    return Call([&](Registry& reg) { return DeleteValue(reg, key, Wide(name)); });
}

// Keys carry no class and no write time here: both come back empty.
LONG RegQueryInfoKey(HKEY key, LPWSTR className, DWORD* classSize, DWORD*, DWORD* subKeys, DWORD* maxSubKeyLen,
                     DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                     DWORD* securityDescriptor, FILETIME* lastWriteTime)
{
    return Call([&](Registry& reg) -> LONG {
        if (className && !classSize) return ERROR_INVALID_PARAMETER;
        RegStore* store = nullptr;
        KeyId id = 0;
        if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
        RegStoreKeyInfo info;
        if (LONG status = store->QueryInfo(id, &info); status != ERROR_SUCCESS) return status;
        if (className && *classSize) className[0] = u'\0';
        if (classSize) *classSize = 0;
        if (subKeys) *subKeys = info.subKeys;
        if (maxSubKeyLen) *maxSubKeyLen = info.maxSubKeyLen;
        if (maxClassLen) *maxClassLen = 0;
        if (values) *values = info.values;
        if (maxValueNameLen) *maxValueNameLen = info.maxValueNameLen;
        if (maxValueLen) *maxValueLen = info.maxValueLen;
        if (securityDescriptor) *securityDescriptor = 0;
        if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD*, LPWSTR className, DWORD* classSize,
                  FILETIME* lastWriteTime)
{
    return Call([&](Registry& reg) -> LONG {
        if (!name || !nameSize || (className && !classSize)) return ERROR_INVALID_PARAMETER;
        RegStore* store = nullptr;
        KeyId id = 0;
        if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
        std::u16string found;
        if (LONG status = store->EnumKey(id, index, &found); status != ERROR_SUCCESS) return status;
        if (LONG status = CopyName(found, name, nameSize); status != ERROR_SUCCESS) return status;
        if (className && *classSize) className[0] = u'\0';
        if (classSize) *classSize = 0;
        if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValue(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD*, DWORD* type, BYTE* data,
                  DWORD* dataSize)
{
    return Call([&](Registry& reg) -> LONG {
        if (!name || !nameSize || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
        RegStore* store = nullptr;
        KeyId id = 0;
        if (LONG status = Lookup(reg, key, &store, &id); status != ERROR_SUCCESS) return status;
        RegStoreValue value;
        if (LONG status = store->EnumValue(id, index, &value); status != ERROR_SUCCESS) return status;
        if (LONG status = CopyName(value.name, name, nameSize); status != ERROR_SUCCESS) return status;
        if (type) *type = value.type;
        return CopyOut(value.data.data(), value.data.size(), data, dataSize);
    });
}

LONG RegCloseKey(HKEY key)
{
    return Call([&](Registry& reg) -> LONG {
        if (RegStore::RootKey(key)) return ERROR_SUCCESS;
        return reg.handles.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    });
}
